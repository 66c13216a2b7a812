#include "clipFile.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zorbel::test {

namespace {

void startGst()
{
    static const bool started = gst_init_check(nullptr, nullptr, nullptr);
    (void)started;
}

// A decoding pipeline with one appsink "out"; every sample is handed to
// `each` until the end of the file.
void decode(const std::string& description, const std::function<void(GstSample*)>& each)
{
    startGst();
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.c_str(), &error);
    if (error) {
        g_clear_error(&error);
        if (pipeline)
            gst_object_unref(pipeline);
        return;
    }
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "out");
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    while (GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 10 * GST_SECOND)) {
        each(sample);
        gst_sample_unref(sample);
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(sink);
    gst_object_unref(pipeline);
}

std::string quoted(const std::string& path)
{
    return "\"" + path + "\"";
}

}  // namespace

ClipInfo inspectClip(const std::string& path)
{
    startGst();
    ClipInfo info;
    GError* error = nullptr;
    GstDiscoverer* discoverer = gst_discoverer_new(20 * GST_SECOND, &error);
    if (!discoverer) {
        info.error = error ? error->message : "no discoverer";
        g_clear_error(&error);
        return info;
    }
    gchar* uri = gst_filename_to_uri(path.c_str(), nullptr);
    GstDiscovererInfo* found = gst_discoverer_discover_uri(discoverer, uri, &error);
    g_free(uri);
    if (!found || gst_discoverer_info_get_result(found) != GST_DISCOVERER_OK) {
        info.error = error ? error->message : "not readable";
        g_clear_error(&error);
    } else {
        info.readable = true;
        info.seconds = static_cast<double>(gst_discoverer_info_get_duration(found)) / GST_SECOND;
        auto capsName = [](GstDiscovererStreamInfo* s) {
            GstCaps* caps = gst_discoverer_stream_info_get_caps(s);
            std::string name =
                caps && gst_caps_get_size(caps) ? gst_structure_get_name(gst_caps_get_structure(caps, 0)) : "";
            if (caps)
                gst_caps_unref(caps);
            return name;
        };
        GstDiscovererStreamInfo* top = gst_discoverer_info_get_stream_info(found);
        if (top) {
            info.container = capsName(top);
            gst_discoverer_stream_info_unref(top);
        }
        GList* videos = gst_discoverer_info_get_video_streams(found);
        if (videos) {
            auto* v = static_cast<GstDiscovererVideoInfo*>(videos->data);
            info.video = capsName(GST_DISCOVERER_STREAM_INFO(v));
            info.width = static_cast<int>(gst_discoverer_video_info_get_width(v));
            info.height = static_cast<int>(gst_discoverer_video_info_get_height(v));
        }
        gst_discoverer_stream_info_list_free(videos);
        GList* audios = gst_discoverer_info_get_audio_streams(found);
        if (audios)
            info.audio = capsName(GST_DISCOVERER_STREAM_INFO(audios->data));
        gst_discoverer_stream_info_list_free(audios);
    }
    if (found)
        gst_discoverer_info_unref(found);
    g_object_unref(discoverer);
    return info;
}

void eachPicture(const std::string& path, const std::function<void(double seconds, const RGBAImage&)>& picture)
{
    decode("filesrc location=" + quoted(path) +
               " ! decodebin name=d d. ! video/x-raw ! videoconvert ! video/x-raw,format=RGBA"
               " ! appsink name=out sync=false d. ! audio/x-raw ! fakesink sync=false async=false",
           [&](GstSample* sample) {
               GstBuffer* buffer = gst_sample_get_buffer(sample);
               GstStructure* s = gst_caps_get_structure(gst_sample_get_caps(sample), 0);
               RGBAImage img;
               gst_structure_get_int(s, "width", &img.width);
               gst_structure_get_int(s, "height", &img.height);
               GstMapInfo map;
               if (!gst_buffer_map(buffer, &map, GST_MAP_READ))
                   return;
               const size_t row = static_cast<size_t>(img.width) * 4;
               const size_t stride = img.height > 0 ? map.size / img.height : row;  // rows are padded to 4 bytes
               img.pixels.resize(row * img.height);
               for (int y = 0; y < img.height; ++y)
                   std::memcpy(&img.pixels[y * row], map.data + y * stride, row);
               gst_buffer_unmap(buffer, &map);
               picture(static_cast<double>(GST_BUFFER_PTS(buffer)) / GST_SECOND, img);
           });
}

std::vector<float> clipSound(const std::string& path, int rate, double& start)
{
    std::vector<float> sound;
    start = -1;
    decode("filesrc location=" + quoted(path) +
               " ! decodebin name=d d. ! audio/x-raw ! audioconvert ! audioresample"
               " ! audio/x-raw,format=F32LE,channels=1,rate=" +
               std::to_string(rate) +
               " ! appsink name=out sync=false d. ! video/x-raw ! fakesink sync=false async=false",
           [&](GstSample* sample) {
               GstBuffer* buffer = gst_sample_get_buffer(sample);
               if (start < 0)
                   start = static_cast<double>(GST_BUFFER_PTS(buffer)) / GST_SECOND;
               GstMapInfo map;
               if (!gst_buffer_map(buffer, &map, GST_MAP_READ))
                   return;
               const auto* f = reinterpret_cast<const float*>(map.data);
               sound.insert(sound.end(), f, f + map.size / sizeof(float));
               gst_buffer_unmap(buffer, &map);
           });
    return sound;
}

std::vector<double> clickTimes(const std::vector<float>& sound, int rate, double start)
{
    // The energy in windows of 5 ms; a click is a window far louder than
    // the median, after at least 100 ms without one.
    const int window = std::max(1, rate / 200);
    std::vector<double> energy;
    for (size_t i = 0; i + window <= sound.size(); i += window) {
        double e = 0;
        for (int j = 0; j < window; ++j)
            e += sound[i + j] * sound[i + j];
        energy.push_back(e / window);
    }
    std::vector<double> sorted = energy;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    const double quiet = sorted.empty() ? 0 : sorted[sorted.size() / 2];
    double loudest = 0;
    for (double e : energy)
        loudest = std::max(loudest, e);
    const double threshold = std::max(quiet * 20, loudest / 10);
    std::vector<double> clicks;
    double last = -1;
    for (size_t k = 0; k < energy.size(); ++k) {
        const double t = start + static_cast<double>(k * window) / rate;
        if (energy[k] > threshold && (last < 0 || t - last > 0.1))
            clicks.push_back(t);
        if (energy[k] > threshold)
            last = t;
    }
    return clicks;
}

}  // namespace zorbel::test
