// The map generator: seeds spread over the map, round-robin growth until the
// map is full, balancing, border exchanges that roughen the borders, and a
// final equalisation of the sizes.
#include <algorithm>
#include <numeric>
#include <string>

#include "game/random.h"
#include "game/squares.h"
#include "platform/arith.h"

namespace kordalt {

void TCustomSquares::Generate() {
    if (RegionCount == 0) throw EMapError("map generator: the map has no regions");
    Clear();
    InitMakeData();
    InitRegionLists();
    PlaceSeeds();
    GrowRegions();
    CountRegionNeighbours();
    BalanceRegions();
    for (int percent : {5, 75, 55, 15, 5}) ExchangeBorders(percent);
    EqualizeRegions();
    FreeMakeData();
    SnapshotOwners();
}

void TCustomSquares::InitMakeData() {
    const int regions = RegionCount;
    TMakeData& m = MakeData;
    m = TMakeData{};
    m.Total = static_cast<uint16_t>(Width * Height);
    m.BaseTarget = m.Total / regions;
    m.LargestTarget = m.BaseTarget + (m.Total % regions != 0);
    m.Targets.assign(regions, m.BaseTarget);
    // The remainder goes one square each to consecutive regions from a random one.
    for (int i = 0, r = Random(regions); i < m.Total % regions; ++i, r = (r + 1) % regions) ++m.Targets[r];
    m.FirstSeedDistance = m.SeedDistance = Width / regions + 4;
    m.FirstEdgeMargin = m.EdgeMargin = Width / regions / 2 + 3;
    m.ListStep = 32;
    m.Attempts = 50;
    m.Rounds = 80;
    m.Restarts = 0;
    m.Full.assign(regions, false);
    m.Cursor.assign(regions, 0);
}

void TCustomSquares::InitRegionLists() {
    for (int r = 1; r <= RegionCount; ++r) {
        TRegionRec& region = Region(r);
        region.Size = 0;
        region.NeighbourCount = 0;
        region.Cells.clear();
        region.Cells.reserve(MakeData.Targets[r - 1]);
        region.Borders.assign(RegionCount + 1, 0);
    }
}

void TCustomSquares::FreeMakeData() { MakeData = TMakeData{}; }

void TCustomSquares::PlaceSeeds() {
    for (TRegionRec& region : Regions) region.Borders.assign(RegionCount + 1, 0);
    const int k = RegionCount <= 5 ? 4 : RegionCount <= 9 ? 2 : 1;
    MakeData.EdgeMargin = Width / RegionCount / k + (k == 1);
    // Seeds lie on a lattice of every second square that stays fixed while the
    // margin shrinks.
    const int m = MakeData.EdgeMargin;
    const int sx = (Width - 2 * m) / 2, sy = (Height - 2 * m) / 2;
    for (int round = 1;; ++round) {
        const bool placed = PlaceSeedsRound(m, sx, sy);
        MakeData.SeedDistance = std::max(3, MakeData.SeedDistance - 1);
        MakeData.EdgeMargin = std::max(2, MakeData.EdgeMargin - 1);
        if (placed) return;
        ++MakeData.Restarts;
        if (round == kMaxSeedingRounds)
            throw EMapError("map generator: no room for " + std::to_string(RegionCount) + " seeds on a " +
                            std::to_string(Width) + " x " + std::to_string(Height) + " map after " +
                            std::to_string(round) + " rounds");
    }
}

// One seeding round; a failed round takes its seeds back.
bool TCustomSquares::PlaceSeedsRound(int m, int sx, int sy) {
    int r = 1;
    for (int c = 1; r <= RegionCount && c <= MakeData.Attempts; ++c) {
        const int x = 2 * Random(sx) + m - 1;
        const int y = 2 * Random(sy) + m - 1;
        if (!SeedFits(x, y, r)) continue;
        const uint16_t seed = SquareId(x, y);
        SetSquare(seed, r);
        Region(r).Cells.assign(1, seed);
        Region(r).Size = 1;
        ++MakeData.Placed;
        ++r;
        c = 1;
    }
    if (r > RegionCount) return true;
    for (int s = 1; s < r; ++s) {
        SetSquare(Region(s).Cells[0], 0);
        Region(s).Cells.clear();
        Region(s).Size = 0;
        --MakeData.Placed;
    }
    return false;
}

// Free, inside the margin and far enough from the seeds of regions 1..r-1.
bool TCustomSquares::SeedFits(int x, int y, int r) const {
    const int margin = MakeData.EdgeMargin;
    if (x <= margin || y <= margin || Width - x <= margin || Height - y <= margin) return false;
    const uint16_t candidate = SquareId(x, y);
    if (At(candidate).Owner != 0) return false;
    for (int s = 1; s < r; ++s)
        if (SquareDistance(candidate, Region(s).Cells[0]) < MakeData.SeedDistance) return false;
    return true;
}

void TCustomSquares::GrowRegions() {
    for (bool grew = true; grew;) {
        grew = false;
        for (int r = 1; r <= RegionCount; ++r) grew = GrowRegion(r) || grew;
    }
    for (TRegionRec& region : Regions) region.Cells.shrink_to_fit();
}

// Gives region r at most one free square next to it, searching its list from
// the cursor.
bool TCustomSquares::GrowRegion(uint8_t r) {
    if (MakeData.Full[r - 1]) return false;
    MakeData.Full[r - 1] = true;
    TRegionRec& region = Region(r);
    for (int i = MakeData.Cursor[r - 1]; i < region.Size; ++i) {
        uint16_t free;
        if (ProbeFreeNeighbour(region.Cells[i], free)) {
            SetSquare(free, r);
            AppendCell(r, free, MakeData.ListStep);
            ++MakeData.Placed;
            MakeData.Full[r - 1] = false;
            return true;
        }
        MakeData.Cursor[r - 1] = static_cast<uint16_t>(i);
    }
    return false;
}

bool TCustomSquares::ProbeFreeNeighbour(uint16_t square, uint16_t& found) {
    const int start = Random(4);
    for (int i = 0; i < 4; ++i) {
        bool has = false;
        uint16_t next = square;
        switch ((start + i) % 4) {
            case 0:
                has = HasLeft(square), next = Left(square);
                break;
            case 1:
                has = HasUp(square), next = Up(square);
                break;
            case 2:
                has = HasRight(square), next = Right(square);
                break;
            default:
                has = HasDown(square), next = Down(square);
                break;
        }
        if (has && At(next).Owner == 0) {
            found = next;
            return true;
        }
    }
    return false;
}

// The region most above its target; 0 when none is.
uint8_t TCustomSquares::PickGiver() const {
    uint8_t giver = 0;
    for (int r = 1; r <= RegionCount; ++r) {
        const uint16_t size = Region(r).Size;
        if (giver == 0 ? size > MakeData.Targets[r - 1] : size > Region(giver).Size) giver = r;
    }
    return giver;
}

void TCustomSquares::BalanceRegions() {
    std::vector<bool> used(RegionCount, false);
    for (int round = 0; round < MakeData.Rounds; ++round) {
        const uint8_t giver = PickGiver();
        if (giver == 0) return;
        uint8_t taker = 0;
        for (int t = 1; t <= RegionCount; ++t)
            if (!used[t - 1] && AreNeighbours(giver, t) &&
                (taker == 0 || Region(t).Size < Region(taker).Size))
                taker = t;
        if (taker == 0) {
            used.assign(RegionCount, false);
            continue;
        }
        used[giver - 1] = true;
        TransferSquares(giver, taker, Region(giver).Size - MakeData.Targets[giver - 1]);
    }
}

void TCustomSquares::ExchangeBorders(int percent) {
    const double f = std::clamp(percent, 0, 100) / 100.0;
    for (int a = 1; a <= RegionCount; ++a)
        for (int b = 1; b <= RegionCount; ++b) {
            if (!AreNeighbours(a, b)) continue;
            const int n = static_cast<int>(Trunc(static_cast<long double>(Region(a).Size) * f));
            const int sizeA = Region(a).Size;
            TransferSquares(a, b, n);
            if (Region(a).Size != sizeA - n) {
                BalanceRegions();
                continue;
            }
            const int sizeB = Region(b).Size;
            TransferSquares(b, a, n);
            if (Region(b).Size != sizeB - n) BalanceRegions();
        }
}

void TCustomSquares::EqualizeRegions() {
    const int count = RegionCount;
    std::vector<uint8_t> order(count);
    std::iota(order.begin(), order.end(), 1);
    SortRegionsBySize(order, 0, count - 1);
    MakeData.Targets.assign(count, MakeData.Total / count);
    for (int i = 0; i < MakeData.Total % count; ++i) ++MakeData.Targets[order[i] - 1];

    struct Step {
        uint8_t from, to;
        int count;
    };
    std::vector<int> size(count + 1), need(count + 1);
    for (int round = 0; round < MakeData.Rounds; ++round) {
        for (int r = 1; r <= count; ++r) {
            size[r] = Region(r).Size;
            need[r] = MakeData.Targets[r - 1] - size[r];
        }
        std::iota(order.begin(), order.end(), 1);
        SortRegionsBySize(order, 0, count - 1);
        std::vector<bool> visited(count + 1, false);
        uint8_t current = order[0];
        visited[current] = true;
        // Walks a chain of neighbours, passing each region's excess on.
        std::vector<Step> steps;
        for (int walked = 0; walked < count; ++walked) {
            uint8_t next = 0;
            for (int t = 1; t <= count; ++t)
                if (!visited[t] && AreNeighbours(current, t) &&
                    (next == 0 || Region(t).NeighbourCount < Region(next).NeighbourCount))
                    next = t;
            if (next == 0) break;
            const int moved = need[current] < 0 ? -need[current] : 0;
            steps.push_back({current, next, moved});
            size[current] -= moved;
            need[current] = 0;
            size[next] += moved;
            need[next] = MakeData.Targets[next - 1] - size[next];
            visited[next] = true;
            current = next;
        }
        for (const Step& s : steps)
            if (s.count > 0) TransferSquares(s.from, s.to, s.count);
        bool equal = true;
        for (int r = 1; r <= count; ++r) equal = equal && size[r] == MakeData.Targets[r - 1];
        if (equal) return;
    }
}

// Quicksort by Size, largest first; regions of equal size end in the order
// this partitioning gives.
void TCustomSquares::SortRegionsBySize(std::vector<uint8_t>& list, int lo, int hi) const {
    int i;
    do {
        i = lo;
        int j = hi;
        const uint16_t pivot = Region(list[(lo + hi) / 2]).Size;
        do {
            while (Region(list[i]).Size > pivot) ++i;
            while (pivot > Region(list[j]).Size) --j;
            if (i <= j) {
                std::swap(list[i], list[j]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (j > lo) SortRegionsBySize(list, lo, j);
        lo = i;
    } while (i < hi);
}

}  // namespace kordalt
