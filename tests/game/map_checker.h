// Test support: recomputes everything the map maintains from its owners alone
// and compares, and builds small maps from pictures.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "game/squares.h"

namespace kordalt::testing {

enum class Lists { kChecked, kSkipped };

// Neighbour of (x, y) in direction d (left, up, right, down), computed from
// coordinates only; false when there is none.
inline bool ReferenceNeighbour(const TCustomSquares& map, int x, int y, int d, int& nx, int& ny) {
    static constexpr int dx[4] = {-1, 0, 1, 0}, dy[4] = {0, -1, 0, 1};
    nx = x + dx[d];
    ny = y + dy[d];
    if (ny < 0 || ny >= map.Height) return false;
    if (nx < 0 || nx >= map.Width) {
        if (!map.Wrap) return false;
        nx = (nx + map.Width) % map.Width;
    }
    return true;
}

// SameCount and Borders always; with Lists::kChecked also Size, the square
// lists and NeighbourCount. rowOrder asks for lists in row order.
inline ::testing::AssertionResult MapAgreesWithGrid(const TCustomSquares& map, Lists lists = Lists::kChecked,
                                                    bool rowOrder = false) {
    const int regions = map.RegionCount;
    std::vector<std::vector<int>> borders(regions + 1, std::vector<int>(regions + 1, 0));
    std::vector<std::vector<uint16_t>> squares(regions + 1);
    for (int y = 0; y < map.Height; ++y)
        for (int x = 0; x < map.Width; ++x) {
            const uint16_t id = SquareId(x, y);
            const int owner = map.GetSquare(id);
            int same = 0;
            for (int d = 0; d < 4; ++d) {
                int nx, ny;
                const bool exists = ReferenceNeighbour(map, x, y, d, nx, ny);
                const int other = exists ? map.GetSquare(SquareId(nx, ny)) : -1;
                same += other == owner;
                if (owner == 0 || other == 0) continue;
                ++borders[owner][exists ? other - 1 : regions];
            }
            if (map.GetSameCount(id) != same)
                return ::testing::AssertionFailure() << "SameCount of (" << x << ", " << y << ") is "
                                                     << int(map.GetSameCount(id)) << ", expected " << same;
            if (owner != 0) squares[owner].push_back(id);
        }
    for (int r = 1; r <= regions; ++r) {
        const TRegionRec& rec = map.Regions[r - 1];
        for (int s = 0; s <= regions; ++s)
            if (rec.Borders.at(s) != borders[r][s])
                return ::testing::AssertionFailure() << "Borders[" << s << "] of region " << r << " is "
                                                     << rec.Borders[s] << ", expected " << borders[r][s];
        if (lists == Lists::kSkipped) continue;
        int neighbours = 0;
        for (int s = 1; s <= regions; ++s) neighbours += s != r && borders[r][s - 1] != 0;
        if (rec.NeighbourCount != neighbours)
            return ::testing::AssertionFailure() << "NeighbourCount of region " << r << " is "
                                                 << rec.NeighbourCount << ", expected " << neighbours;
        if (rec.Size != squares[r].size() || rec.Cells.size() < rec.Size)
            return ::testing::AssertionFailure()
                   << "Size of region " << r << " is " << rec.Size << ", expected " << squares[r].size();
        std::vector<uint16_t> listed(rec.Cells.begin(), rec.Cells.begin() + rec.Size);
        if (rowOrder && listed != squares[r])
            return ::testing::AssertionFailure() << "square list of region " << r << " is not in row order";
        std::sort(listed.begin(), listed.end());
        std::vector<uint16_t> owned = squares[r];
        std::sort(owned.begin(), owned.end());
        if (listed != owned)
            return ::testing::AssertionFailure()
                   << "square list of region " << r << " differs from its squares";
    }
    return ::testing::AssertionSuccess();
}

// A map from rows of digits ('.' is nobody), with exact regions.
template <class Map = TSquares>
std::unique_ptr<Map> MapFromPicture(const std::vector<std::string>& rows, int regions) {
    auto map = std::make_unique<Map>(rows[0].size(), rows.size(), false, regions);
    map->InitRegions();
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            map->SetSquare(SquareId(x, y), rows[y][x] == '.' ? 0 : rows[y][x] - '0');
    map->RebuildRegions();
    return map;
}

inline std::vector<std::string> Picture(const TCustomSquares& map) {
    std::vector<std::string> rows(map.Height, std::string(map.Width, '.'));
    for (int y = 0; y < map.Height; ++y)
        for (int x = 0; x < map.Width; ++x)
            if (const int owner = map.GetSquare(SquareId(x, y))) rows[y][x] = static_cast<char>('0' + owner);
    return rows;
}

}  // namespace kordalt::testing
