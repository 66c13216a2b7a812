// Text layout and drawing with pango over cairo: the system font, wrapped or
// cut to a number of lines, aligned, vertically centred in a rectangle.
#include "platform/imaging/cairoContext.h"

#include <algorithm>
#include <fontconfig/fontconfig.h>
#include <glib.h>
#include <pango/pangocairo.h>
#include <string>

namespace zorbel {

namespace {

// Greyscale antialiasing (the picture becomes a texture, so no subpixel
// colours) and unhinted metrics, so text lays out alike at every pixel scale.
void setFontOptions(PangoLayout* layout)
{
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
    cairo_font_options_destroy(options);
    pango_layout_context_changed(layout);
}

// The system font: the face fontconfig offers for Helvetica when it is one
// with Helvetica's metrics, so that every text wraps and fits where the
// screens lay it out; else DejaVu Sans, which is wider.
const char* systemFontFamily()
{
    static const std::string family = [] {
        static const char* const kSameMetrics[] = {"Liberation Sans", "Nimbus Sans", "Nimbus Sans L", "TeX Gyre Heros",
                                                   "Arimo"};
        std::string found;
        FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("Helvetica"));
        if (pattern && FcConfigSubstitute(nullptr, pattern, FcMatchPattern)) {
            FcDefaultSubstitute(pattern);
            FcResult result;
            if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
                FcChar8* name = nullptr;
                if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch)
                    found = reinterpret_cast<const char*>(name);
                FcPatternDestroy(match);
            }
        }
        if (pattern)
            FcPatternDestroy(pattern);
        for (const char* same : kSameMetrics) {
            if (found == same)
                return found;
        }
        return std::string("DejaVu Sans");
    }();
    return family.c_str();
}

PangoAlignment pangoAlignment(TextAlignment a)
{
    switch (a) {
    case TextAlignment::Center:
        return PANGO_ALIGN_CENTER;
    case TextAlignment::Right:
        return PANGO_ALIGN_RIGHT;
    case TextAlignment::Left:
        break;
    }
    return PANGO_ALIGN_LEFT;
}

}  // namespace

namespace {

// One layout of `text` (made valid UTF-8) in style's font and weight.
PangoLayout* layoutOf(cairo_t* cr, const std::string& text, const TextStyle& style)
{
    PangoLayout* layout = pango_cairo_create_layout(cr);
    setFontOptions(layout);

    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, systemFontFamily());
    pango_font_description_set_absolute_size(font, style.font.size * PANGO_SCALE);  // user units = points
    pango_font_description_set_style(font, style.font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_font_description_set_weight(font, style.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);

    if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
        pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
    } else {
        gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
        pango_layout_set_text(layout, valid, -1);
        g_free(valid);
    }
    return layout;
}

}  // namespace

float cairoTextWidth(cairo_t* cr, const std::string& text, const TextStyle& style)
{
    PangoLayout* layout = layoutOf(cr, text, style);
    PangoRectangle natural;
    pango_layout_get_extents(layout, nullptr, &natural);
    g_object_unref(layout);
    return static_cast<float>(double(natural.width) / PANGO_SCALE);
}

void drawCairoText(cairo_t* cr, const std::string& text, const TextStyle& style, Rect r)
{
    if (text.empty() || r.width <= 0 || r.height <= 0)
        return;
    PangoLayout* layout = layoutOf(cr, text, style);
    if (style.minimumSize > 0 && style.lines == 1) {
        // A line too wide for its frame is set smaller, down to the minimum
        // size. Text does not scale quite linearly: measure again.
        double size = style.font.size;
        for (int tries = 0; tries < 4 && size > style.minimumSize; ++tries) {
            PangoRectangle natural;
            pango_layout_get_extents(layout, nullptr, &natural);
            const double width = double(natural.width) / PANGO_SCALE;
            if (width <= r.width)
                break;
            size = std::max<double>(style.minimumSize, 0.98 * size * r.width / width);
            PangoFontDescription* smaller = pango_font_description_copy(pango_layout_get_font_description(layout));
            pango_font_description_set_absolute_size(smaller, size * PANGO_SCALE);
            pango_layout_set_font_description(layout, smaller);
            pango_font_description_free(smaller);
        }
    }
    pango_layout_set_width(layout, static_cast<int>(r.width * PANGO_SCALE));
    pango_layout_set_alignment(layout, pangoAlignment(style.alignment));
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    // Negative: at most that many lines; positive: as many as fit in the height.
    pango_layout_set_height(layout, style.lines > 0 ? -style.lines : static_cast<int>(r.height * PANGO_SCALE));

    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    const double height = double(logical.height) / PANGO_SCALE;
    cairo_set_source_rgba(cr, style.color.r, style.color.g, style.color.b, style.color.a);
    cairo_move_to(cr, r.x, r.y + (r.height - height) / 2);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
}

}  // namespace zorbel
