#include "actions.h"

#include <cmath>

namespace zorbel::test {

namespace {

// The WebDriver code point of a DOM key name, as UTF-8.
std::string keyValue(const std::string& key)
{
    static const std::pair<const char*, int> named[] = {
        {"Enter", 0xE007},   {"Shift", 0xE008},      {"Control", 0xE009},   {"Alt", 0xE00A},  {"Escape", 0xE00C},
        {"PageUp", 0xE00E},  {"PageDown", 0xE00F},   {"End", 0xE010},       {"Home", 0xE011}, {"ArrowLeft", 0xE012},
        {"ArrowUp", 0xE013}, {"ArrowRight", 0xE014}, {"ArrowDown", 0xE015}, {"F9", 0xE039},   {"F10", 0xE03A},
        {"F11", 0xE03B},     {"F12", 0xE03C}};
    for (const auto& [name, code] : named)
        if (key == name)
            return {static_cast<char>(0xE0 | (code >> 12)), static_cast<char>(0x80 | ((code >> 6) & 0x3F)),
                    static_cast<char>(0x80 | (code & 0x3F))};
    return key;
}

json pause()
{
    return {{"type", "pause"}, {"duration", 0}};
}

int buttonNumber(const std::string& button)
{
    return button == "middle" ? 1 : button == "right" ? 2 : 0;
}

json move(double x, double y)
{
    return {{"type", "pointerMove"},
            {"x", static_cast<int>(std::lround(x))},
            {"y", static_cast<int>(std::lround(y))},
            {"duration", 0},
            {"origin", "viewport"}};
}

}  // namespace

json mouseActions(const std::string& type, double x, double y, const std::string& button, int modifiers)
{
    json keys = json::array(), pointer = json::array();
    std::vector<std::string> held;
    if (modifiers & kCtrl)
        held.push_back("Control");
    if (modifiers & kAlt)
        held.push_back("Alt");
    if (modifiers & kShift)
        held.push_back("Shift");
    for (const std::string& k : held) {
        keys.push_back({{"type", "keyDown"}, {"value", keyValue(k)}});
        pointer.push_back(pause());
    }
    keys.push_back(pause());
    pointer.push_back(move(x, y));
    if (type == "mousePressed" || type == "mouseReleased") {
        keys.push_back(pause());
        pointer.push_back(
            {{"type", type == "mousePressed" ? "pointerDown" : "pointerUp"}, {"button", buttonNumber(button)}});
    }
    for (const std::string& k : held) {
        keys.push_back({{"type", "keyUp"}, {"value", keyValue(k)}});
        pointer.push_back(pause());
    }
    return json::array(
        {{{"type", "key"}, {"id", "keyboard"}, {"actions", keys}},
         {{"type", "pointer"}, {"id", "mouse"}, {"parameters", {{"pointerType", "mouse"}}}, {"actions", pointer}}});
}

json keyActions(const std::string& key, bool down)
{
    return json::array({{{"type", "key"},
                         {"id", "keyboard"},
                         {"actions", {{{"type", down ? "keyDown" : "keyUp"}, {"value", keyValue(key)}}}}}});
}

json TouchActions::next(const std::string& type, const std::vector<Finger>& fingers)
{
    // Each finger's own list of actions, padded with pauses to the same length.
    std::map<int, json> lists;
    std::map<int, Finger> after;
    for (const Finger& f : fingers)
        after[f.id] = f;
    for (const auto& [id, f] : after) {
        if (!down_.count(id))
            lists[id] = json::array({move(f.x, f.y), {{"type", "pointerDown"}, {"button", 0}}});
        else if (type == "touchMove" && (f.x != down_[id].x || f.y != down_[id].y))
            lists[id] = json::array({move(f.x, f.y)});
    }
    for (const auto& [id, f] : down_)
        if (!after.count(id))
            lists[id] = json::array({{{"type", "pointerUp"}, {"button", 0}}});
    down_ = after;
    size_t ticks = 0;
    for (const auto& [id, list] : lists)
        ticks = std::max(ticks, list.size());
    json actions = json::array();
    for (auto& [id, list] : lists) {
        while (list.size() < ticks)
            list.push_back(pause());
        actions.push_back({{"type", "pointer"},
                           {"id", "finger" + std::to_string(id)},
                           {"parameters", {{"pointerType", "touch"}}},
                           {"actions", list}});
    }
    return actions;
}

}  // namespace zorbel::test
