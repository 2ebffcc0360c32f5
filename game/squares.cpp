#include "game/squares.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <utility>

#include "platform/arith.h"

namespace kordalt {

TCustomSquares::TCustomSquares(uint8_t width, uint8_t height, bool wrap, uint8_t regions)
    : Width(width), Height(height), Wrap(wrap), RegionCount(regions) {
    // A wrapping row of one square would be its own neighbour.
    if (wrap && width < 2) throw EMapError("map: a wrapping map needs at least 2 columns");
    Squares.resize(static_cast<size_t>(width) * height);
    ResetSquares();
    Regions.resize(regions);
    ClearRegions();
}

TSquare& TCustomSquares::Checked(uint16_t square) {
    return const_cast<TSquare&>(std::as_const(*this).Checked(square));
}

const TSquare& TCustomSquares::Checked(uint16_t square) const {
    if (!Inside(square))
        throw EMapError("map: square (" + std::to_string(SquareX(square)) + ", " +
                        std::to_string(SquareY(square)) + ") is outside the " + std::to_string(Width) +
                        " x " + std::to_string(Height) + " grid");
    return At(square);
}

void TCustomSquares::CheckRegion(uint8_t region) const {
    if (region < 1 || region > RegionCount)
        throw EMapError("map: region " + std::to_string(region) + " is outside 1.." +
                        std::to_string(RegionCount));
}

uint8_t TCustomSquares::GetSquare(uint16_t square) const { return OwnerAt(square); }

void TCustomSquares::MoveBorder(uint8_t owner, uint8_t other, int delta) {
    Region(owner).Borders[other - 1] += delta;
    Region(other).Borders[owner - 1] += delta;
}

void TCustomSquares::SetSquare(uint16_t square, uint8_t owner) {
    TSquare& s = Checked(square);
    if (owner > RegionCount)
        throw EMapError("map: owner " + std::to_string(owner) + " is above the " +
                        std::to_string(RegionCount) + " regions");
    const uint8_t old = s.Owner;
    if (owner == old) return;
    s.Owner = owner;
    s.SameCount = SameOwnerNeighbours(square, owner);
    const bool has[4] = {HasLeft(square), HasUp(square), HasRight(square), HasDown(square)};
    const uint16_t next[4] = {Left(square), Up(square), Right(square), Down(square)};
    for (int d = 0; d < 4; ++d) {
        if (!has[d]) {
            if (old != 0) --Region(old).Borders[RegionCount];
            if (owner != 0) ++Region(owner).Borders[RegionCount];
            continue;
        }
        TSquare& n = At(next[d]);
        if (n.Owner == owner)
            ++n.SameCount;
        else if (n.Owner == old)
            --n.SameCount;
        if (n.Owner == 0) continue;
        if (old != 0) MoveBorder(old, n.Owner, -1);
        if (owner != 0) MoveBorder(owner, n.Owner, +1);
    }
    if (OnSquareChange) OnSquareChange(*this, square);
}

void TCustomSquares::Clear() {
    ClearRegions();
    ResetSquares();
    if (OnClear) OnClear(*this);
}

void TCustomSquares::RebuildRegions() {
    CountRegionNeighbours();
    RebuildCells();
}

uint8_t TCustomSquares::CountExistingNeighbours(uint16_t square) const {
    return HasLeft(square) + HasUp(square) + HasRight(square) + HasDown(square);
}

void TCustomSquares::ResetSquares() {
    for (int x = 0; x < Width; ++x)
        for (int y = 0; y < Height; ++y) {
            const uint16_t id = SquareId(x, y);
            At(id) = TSquare{0, CountExistingNeighbours(id), 0, 0};
        }
}

void TCustomSquares::ResetOwners() {
    for (int x = 0; x < Width; ++x)
        for (int y = 0; y < Height; ++y) {
            const uint16_t id = SquareId(x, y);
            At(id) = TSquare{0, CountExistingNeighbours(id), At(id).OldOwner, 0};
        }
}

// Square lists are dropped; border rows stay allocated as zeros, which matches
// a grid of unowned squares and keeps SetSquare safe.
void TCustomSquares::ClearRegions() {
    for (TRegionRec& r : Regions) {
        r.Size = 0;
        r.NeighbourCount = 0;
        r.Cells = {};
        r.Borders.assign(RegionCount + 1, 0);
    }
}

void TCustomSquares::InitRegions() {
    for (TRegionRec& r : Regions) {
        r.Size = 0;
        r.NeighbourCount = 0;
        r.Borders.assign(RegionCount + 1, 0);
    }
}

void TCustomSquares::CountRegionNeighbours() {
    for (int r = 1; r <= RegionCount; ++r) {
        const TWordArray& borders = Region(r).Borders;
        int count = 0;
        for (int s = 1; s <= RegionCount; ++s) count += s != r && borders[s - 1] != 0;
        Region(r).NeighbourCount = count;
    }
}

void TCustomSquares::RebuildCells() {
    constexpr int kStep = 64;
    for (TRegionRec& r : Regions) {
        r.Size = 0;
        r.Cells = {};
        r.Cells.reserve(kStep);
    }
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const uint16_t id = SquareId(x, y);
            const uint8_t owner = At(id).Owner;
            if (owner >= 1 && owner <= RegionCount) AppendCell(owner, id, kStep);
        }
    for (TRegionRec& r : Regions) r.Cells.shrink_to_fit();
}

// Lists grow by a fixed step when full.
void TCustomSquares::AppendCell(uint8_t region, uint16_t square, int step) {
    TRegionRec& r = Region(region);
    if (r.Cells.size() == r.Cells.capacity()) r.Cells.reserve(r.Cells.capacity() + step);
    r.Cells.push_back(square);
    ++r.Size;
}

void TCustomSquares::SnapshotOwners() {
    for (TSquare& s : Squares) s.OldOwner = s.Owner;
}

uint16_t TCustomSquares::RegionSize(uint8_t region) const {
    CheckRegion(region);
    return Region(region).Size;
}

bool TCustomSquares::AreNeighbours(uint8_t r1, uint8_t r2) const {
    CheckRegion(r1);
    CheckRegion(r2);
    return r1 != r2 && Region(r1).Borders[r2 - 1] != 0;
}

TByteRect TCustomSquares::RegionBounds(uint8_t region) const {
    CheckRegion(region);
    const TRegionRec& r = Region(region);
    if (r.Size == 0) return {};
    int left = 255, top = 255, right = 0, bottom = 0;
    for (int i = 0; i < r.Size; ++i) {
        const int x = SquareX(r.Cells[i]), y = SquareY(r.Cells[i]);
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x + 1);
        bottom = std::max(bottom, y + 1);
    }
    return MakeByteRect(left, top, right, bottom);
}

TByteRow TCustomSquares::WidestRow(uint8_t region) const {
    const TByteRect bounds = RegionBounds(region);
    TByteRow row{bounds.Left, bounds.Top, 0};
    for (int y = bounds.Top; y < bounds.Bottom; ++y) {
        int x = 0;
        while (x < Width && At(SquareId(x, y)).Owner != region) ++x;
        const int start = x;
        while (x < Width && At(SquareId(x, y)).Owner == region) ++x;
        if (x - start > row.Length)
            row = TByteRow{static_cast<uint8_t>(start), static_cast<uint8_t>(y),
                           static_cast<uint8_t>(x - start)};
    }
    return row;
}

int TCustomSquares::SquareDistance(uint16_t a, uint16_t b) {
    const long double dx = SquareX(a) - SquareX(b), dy = SquareY(a) - SquareY(b);
    return static_cast<int>(Round(std::sqrt(dx * dx + dy * dy)));
}

uint16_t TCustomSquares::Left(uint16_t square) const {
    const int x = SquareX(square);
    if (x > 0) return SquareId(x - 1, SquareY(square));
    return Wrap ? SquareId(Width - 1, SquareY(square)) : square;
}

uint16_t TCustomSquares::Up(uint16_t square) const {
    return HasUp(square) ? SquareId(SquareX(square), SquareY(square) - 1) : square;
}

uint16_t TCustomSquares::Right(uint16_t square) const {
    const int x = SquareX(square);
    if (x < Width - 1) return SquareId(x + 1, SquareY(square));
    return Wrap ? SquareId(0, SquareY(square)) : square;
}

uint16_t TCustomSquares::Down(uint16_t square) const {
    return HasDown(square) ? SquareId(SquareX(square), SquareY(square) + 1) : square;
}

uint8_t TCustomSquares::SameOwnerNeighbours(uint16_t square, uint8_t owner) const {
    return (HasLeft(square) && OwnerAt(Left(square)) == owner) +
           (HasUp(square) && OwnerAt(Up(square)) == owner) +
           (HasRight(square) && OwnerAt(Right(square)) == owner) +
           (HasDown(square) && OwnerAt(Down(square)) == owner);
}

bool TCustomSquares::IsBorderLeft(uint16_t square) const {
    return HasLeft(square) && OwnerAt(Left(square)) != OwnerAt(square);
}

bool TCustomSquares::IsBorderUp(uint16_t square) const {
    return HasUp(square) && OwnerAt(Up(square)) != OwnerAt(square);
}

bool TCustomSquares::IsBorderRight(uint16_t square) const {
    return HasRight(square) && OwnerAt(Right(square)) != OwnerAt(square);
}

bool TCustomSquares::IsBorderDown(uint16_t square) const {
    return HasDown(square) && OwnerAt(Down(square)) != OwnerAt(square);
}

namespace {

// Candidates of one transfer pass that had the same SameCount when queued.
struct TWeight4Rec {
    bool Enabled = true;
    size_t Taken = 0;  // entries already used
    TBytePointArray Squares;
};

}  // namespace

void TCustomSquares::TransferSquares(uint8_t from, uint8_t to, int count) {
    if (count <= 0 || !AreNeighbours(from, to)) return;
    TRegionRec& source = Region(from);
    TRegionRec& target = Region(to);

    // The front: To's squares on the common border, then the squares taken, in
    // order. A square that no longer touches From never will again during the
    // transfer, so each pass drops those and scans only the live front.
    TBytePointArray front;
    for (int i = 0; i < target.Size; ++i) {
        const uint16_t square = target.Cells[i];
        if (At(square).SameCount < 4 && SameOwnerNeighbours(square, from) > 0) front.push_back(square);
    }
    if (front.empty()) return;

    TBytePointArray taken;
    taken.reserve(std::min<int>(count, source.Size));
    std::array<TWeight4Rec, 4> buckets;
    for (TWeight4Rec& b : buckets) b.Squares.reserve(source.Size);
    for (int i = 0; i < source.Size; ++i) At(source.Cells[i]).Mark = 0;

    while (count > 0) {
        for (TWeight4Rec& b : buckets) {
            b.Enabled = true;
            b.Taken = 0;
            b.Squares.clear();
        }
        int queued = 0, weak = 0;
        size_t live = 0;
        for (const uint16_t square : front) {
            const bool has[4] = {HasLeft(square), HasUp(square), HasDown(square), HasRight(square)};
            const uint16_t next[4] = {Left(square), Up(square), Down(square), Right(square)};
            bool touches = false;
            for (int d = 0; d < 4; ++d) {
                if (!has[d]) continue;
                TSquare& n = At(next[d]);
                if (n.Owner != from) continue;
                touches = true;
                if (n.Mark != 0) continue;
                n.Mark = 1;
                // A square next to the front has at most 3 neighbours of its own.
                buckets[std::min<int>(n.SameCount, 3)].Squares.push_back(next[d]);
                ++queued;
                if (n.SameCount <= 1) ++weak;
            }
            if (touches) front[live++] = square;
        }
        front.resize(live);
        if (queued == 0) break;
        if (weak > 0) buckets[2].Enabled = buckets[3].Enabled = false;
        for (TWeight4Rec& b : buckets) {
            if (count == 0) break;
            if (!b.Enabled) continue;
            while (count > 0 && b.Taken < b.Squares.size()) {
                const uint16_t square = b.Squares[b.Taken++];
                SetSquare(square, to);
                --count;
                front.push_back(square);
                taken.push_back(square);
            }
        }
        if (count > 0)
            for (const TWeight4Rec& b : buckets)
                for (uint16_t square : b.Squares) At(square).Mark = 0;
    }

    target.Cells.insert(target.Cells.end(), taken.begin(), taken.end());
    target.Size = static_cast<uint16_t>(target.Cells.size());
    std::erase_if(source.Cells, [&](uint16_t square) { return At(square).Owner != from; });
    source.Size = static_cast<uint16_t>(source.Cells.size());
    CountRegionNeighbours();
}

}  // namespace kordalt
