#include "display/mouseregion.h"

#include <iterator>
#include <utility>
#include <vector>

void TClickRegion::AddRegion(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t id,
                             TRegionHandler plain, TRegionHandler shift, TRegionHandler ctrl, TRegionHandler alt)
{
    Entries.push_front(TEntry{left, top, right, bottom, id, std::move(plain), std::move(shift), std::move(ctrl),
                              std::move(alt)});
}

void TClickRegion::RemoveRegion(int32_t id)
{
    Entries.remove_if([id](const TEntry &entry) { return entry.Id == id; });
}

const TRegionHandler &TClickRegion::HandlerFor(const TEntry &entry, Qt::KeyboardModifiers shift)
{
    if (shift & Qt::ShiftModifier)
        return entry.Shift;
    if (shift & Qt::ControlModifier)
        return entry.Ctrl;
    if (shift & Qt::AltModifier)
        return entry.Alt;
    return entry.Plain;
}

void TClickRegion::MouseDownAt(int32_t x, int32_t y, Qt::KeyboardModifiers shift) const
{
    if (!Enabled)
        return;
    // The hits are gathered before any handler runs: a handler may open a
    // dialog or resize the window, and a resize rebuilds this very list.
    std::vector<std::pair<TRegionHandler, int32_t>> hits;
    for (const TEntry &entry : Entries) {
        if (x < entry.Left || x > entry.Right || y < entry.Top || y > entry.Bottom)
            continue;
        const TRegionHandler &handler = HandlerFor(entry, shift);
        if (handler)
            hits.emplace_back(handler, entry.Id);
    }
    for (const auto &[handler, id] : hits)
        handler(id, shift);
}

int TClickRegion::Count() const
{
    return int(std::distance(Entries.begin(), Entries.end()));
}
