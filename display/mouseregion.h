#pragma once
// Rectangles of a picture that act as buttons. A press inside a rectangle
// calls that region's handler for the modifier held; every region under the
// pointer fires, the most recently added first, so overlapping keys can be
// layered on purpose.

#include <Qt>
#include <cstdint>
#include <forward_list>
#include <functional>

// Called with the region's Id and the modifiers held at the press.
using TRegionHandler = std::function<void(int32_t id, Qt::KeyboardModifiers shift)>;

class TClickRegion {
public:
    // While false, presses are ignored (the owner switches it off while it
    // rebuilds the regions).
    bool Enabled = true;

    // Left..Right and Top..Bottom are inclusive pixel ranges. The handlers
    // serve a plain press and a press with Shift, Ctrl or Alt held; any of
    // them may be empty.
    void AddRegion(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t id, TRegionHandler plain,
                   TRegionHandler shift, TRegionHandler ctrl, TRegionHandler alt);
    // Removes every region with this Id.
    void RemoveRegion(int32_t id);
    // A press of any mouse button at (x, y). Shift wins over Ctrl, Ctrl over
    // Alt when several are held.
    void MouseDownAt(int32_t x, int32_t y, Qt::KeyboardModifiers shift) const;

    int Count() const;

private:
    struct TEntry {
        int32_t Left, Top, Right, Bottom;
        int32_t Id;
        TRegionHandler Plain, Shift, Ctrl, Alt;
    };
    std::forward_list<TEntry> Entries;   // newest first

    static const TRegionHandler &HandlerFor(const TEntry &entry, Qt::KeyboardModifiers shift);
};
