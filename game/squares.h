// The map: a grid of squares owned by regions, with each region's size, square
// list and border lengths kept up to date, the territory transfer between
// neighbouring regions and the map generator.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <vector>

namespace kordalt {

// A bad argument or an impossible request to the map.
struct EMapError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Square id: low byte the column x, high byte the row y.
constexpr uint16_t SquareId(int x, int y) { return static_cast<uint16_t>((x & 0xFF) | ((y & 0xFF) << 8)); }
constexpr int SquareX(uint16_t square) { return square & 0xFF; }
constexpr int SquareY(uint16_t square) { return square >> 8; }

struct TSquare {
    uint8_t Owner = 0;
    uint8_t SameCount = 0;  // neighbours with the same owner
    uint8_t OldOwner = 0;   // owner at the last snapshot
    uint8_t Mark = 0;       // scratch flag of the transfer
};

using TBytePointArray = std::vector<uint16_t>;
using TWordArray = std::vector<uint16_t>;

struct TRegionRec {
    uint16_t Size = 0;
    int32_t NeighbourCount = 0;
    TBytePointArray Cells;  // the region's squares; the first Size entries are valid
    // Entry s-1: edges shared with region s (twice the internal edges for the
    // region itself); entry R: edges on the map's outer edge.
    TWordArray Borders;
};

struct TByteRect {
    uint8_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TByteRect&) const = default;
};
constexpr TByteRect MakeByteRect(uint8_t left, uint8_t top, uint8_t right, uint8_t bottom) {
    return {left, top, right, bottom};
}

struct TByteRow {
    uint8_t X = 0, Y = 0, Length = 0;
    bool operator==(const TByteRow&) const = default;
};

// Working values of one generator run.
struct TMakeData {
    uint16_t Total = 0;
    uint16_t Placed = 0;
    uint16_t BaseTarget = 0;
    uint16_t LargestTarget = 0;
    TWordArray Targets;  // region r is entry r-1
    int32_t FirstSeedDistance = 0, SeedDistance = 0;
    int32_t FirstEdgeMargin = 0, EdgeMargin = 0;
    int32_t ListStep = 0;
    int32_t Attempts = 0;
    int32_t Rounds = 0;
    int32_t Restarts = 0;
    std::vector<bool> Full;
    TWordArray Cursor;
};

class TCustomSquares {
public:
    // Seeding gives up with EMapError after this many failed rounds.
    static constexpr int kMaxSeedingRounds = 10000;

    TCustomSquares(uint8_t width, uint8_t height, bool wrap, uint8_t regions);
    virtual ~TCustomSquares() = default;
    TCustomSquares(const TCustomSquares&) = delete;
    TCustomSquares& operator=(const TCustomSquares&) = delete;

    // The owner; 0 for a square outside the grid.
    virtual uint8_t GetSquare(uint16_t square) const;
    // Changes the owner, keeping SameCount and Borders exact. Throws EMapError
    // for a square outside the grid or an owner above RegionCount.
    virtual void SetSquare(uint16_t square, uint8_t owner);
    virtual void Clear();
    virtual void RebuildRegions();

    void ResetSquares();
    void ResetOwners();
    void ClearRegions();
    void InitRegions();
    void CountRegionNeighbours();
    void RebuildCells();
    void SnapshotOwners();

    uint16_t RegionSize(uint8_t region) const;
    bool AreNeighbours(uint8_t r1, uint8_t r2) const;
    TByteRect RegionBounds(uint8_t region) const;
    TByteRow WidestRow(uint8_t region) const;
    static int SquareDistance(uint16_t a, uint16_t b);

    bool HasLeft(uint16_t square) const { return SquareX(square) > 0 || Wrap; }
    bool HasUp(uint16_t square) const { return SquareY(square) > 0; }
    bool HasRight(uint16_t square) const { return SquareX(square) < Width - 1 || Wrap; }
    bool HasDown(uint16_t square) const { return SquareY(square) < Height - 1; }
    uint16_t Left(uint16_t square) const;
    uint16_t Up(uint16_t square) const;
    uint16_t Right(uint16_t square) const;
    uint16_t Down(uint16_t square) const;

    uint8_t SameOwnerNeighbours(uint16_t square, uint8_t owner) const;
    bool IsBorderLeft(uint16_t square) const;
    bool IsBorderUp(uint16_t square) const;
    bool IsBorderRight(uint16_t square) const;
    bool IsBorderDown(uint16_t square) const;

    // Byte accessors; each throws EMapError for a square outside the grid.
    uint8_t GetSnapshotOwner(uint16_t square) const { return Checked(square).OldOwner; }
    void SetSnapshotOwner(uint16_t square, uint8_t value) { Checked(square).OldOwner = value; }
    uint8_t GetSameCount(uint16_t square) const { return Checked(square).SameCount; }
    void SetSameCount(uint16_t square, uint8_t value) { Checked(square).SameCount = value; }
    uint8_t GetMark(uint16_t square) const { return Checked(square).Mark; }
    void SetMark(uint16_t square, uint8_t value) { Checked(square).Mark = value; }

    // Moves up to count squares of region from to its neighbour to, the most
    // exposed squares along the common border first.
    void TransferSquares(uint8_t from, uint8_t to, int count);

    // Fills the grid with RegionCount regions of nearly equal size.
    void Generate();

    const uint8_t Width;
    const uint8_t Height;
    const bool Wrap;
    const uint8_t RegionCount;
    std::vector<TRegionRec> Regions;  // region r is entry r-1

    std::function<void(TCustomSquares& sender, uint16_t square)> OnSquareChange;
    std::function<void(TCustomSquares& sender)> OnClear;

protected:
    // Generator steps, in the order Generate runs them.
    void InitMakeData();
    void InitRegionLists();
    void PlaceSeeds();
    void GrowRegions();
    void BalanceRegions();
    void ExchangeBorders(int percent);
    void EqualizeRegions();
    void FreeMakeData();

    bool ProbeFreeNeighbour(uint16_t square, uint16_t& found);
    void SortRegionsBySize(std::vector<uint8_t>& list, int lo, int hi) const;

    TMakeData MakeData;

private:
    TSquare& At(uint16_t square) { return Squares[SquareX(square) * Height + SquareY(square)]; }
    const TSquare& At(uint16_t square) const { return Squares[SquareX(square) * Height + SquareY(square)]; }
    bool Inside(uint16_t square) const { return SquareX(square) < Width && SquareY(square) < Height; }
    uint8_t OwnerAt(uint16_t square) const { return Inside(square) ? At(square).Owner : 0; }
    TSquare& Checked(uint16_t square);
    const TSquare& Checked(uint16_t square) const;
    void CheckRegion(uint8_t region) const;
    TRegionRec& Region(uint8_t region) { return Regions[region - 1]; }
    const TRegionRec& Region(uint8_t region) const { return Regions[region - 1]; }
    uint8_t CountExistingNeighbours(uint16_t square) const;
    void MoveBorder(uint8_t owner, uint8_t other, int delta);
    bool PlaceSeedsRound(int m, int sx, int sy);
    bool SeedFits(int x, int y, int r) const;
    bool GrowRegion(uint8_t r);
    uint8_t PickGiver() const;
    void AppendCell(uint8_t region, uint16_t square, int step);

    // Column x holds Height squares; square (x, y) is entry x * Height + y.
    std::vector<TSquare> Squares;
};

class TSquares final : public TCustomSquares {
public:
    using TCustomSquares::TCustomSquares;
};

}  // namespace kordalt
