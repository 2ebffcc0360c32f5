// The program's one random generator. Draws happen in the order the rules make
// them; tests replace the generator with a scripted sequence.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>

namespace kordalt {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Uniform in 0..n-1; called only with n >= 1.
    virtual int Below(int n) = 0;
    // Uniform in [0, 1).
    virtual double Real() = 0;
};

// xoshiro256** seeded through splitmix64.
class Xoshiro256 final : public RandomSource {
public:
    explicit Xoshiro256(uint64_t seed);
    uint64_t Next();
    int Below(int n) override;
    double Real() override;

private:
    uint64_t s_[4];
};

// Uniform integer 0..n-1; 0 when n <= 0.
int Random(int n);
// Uniform real in [0, 1).
double RandomReal();

// Seeds from KORDALT_SEED when set (a decimal number), else from the clock.
// Returns the seed used.
uint64_t Randomize();
void SeedRandom(uint64_t seed);

// Replaces the generator (nullptr restores a clock-seeded one); returns the old one.
std::unique_ptr<RandomSource> SetRandomSource(std::unique_ptr<RandomSource> source);

// Scripted draws for tests: each entry is an int (for Random(n), must be
// 0..n-1) or a double (for RandomReal). A draw of the wrong kind, an int out of
// range or a draw past the end throws ScriptedRandomError.
struct ScriptedRandomError : std::logic_error {
    using std::logic_error::logic_error;
};

class ScriptedRandom final : public RandomSource {
public:
    using Draw = std::variant<int, double>;
    ScriptedRandom() = default;
    ScriptedRandom(std::initializer_list<Draw> draws) : draws_(draws) {}
    void Add(Draw d) { draws_.push_back(d); }
    int Below(int n) override;
    double Real() override;
    size_t Remaining() const { return draws_.size(); }
    size_t Consumed() const { return consumed_; }

private:
    std::deque<Draw> draws_;
    size_t consumed_ = 0;
};

// Installs a ScriptedRandom for the scope and restores the previous generator.
class ScopedScriptedRandom {
public:
    ScopedScriptedRandom(std::initializer_list<ScriptedRandom::Draw> draws = {});
    ~ScopedScriptedRandom();
    ScriptedRandom& operator*() { return *script_; }
    ScriptedRandom* operator->() { return script_; }

private:
    ScriptedRandom* script_;
    std::unique_ptr<RandomSource> previous_;
};

// Installs a seeded generator for the scope and restores the previous one.
class ScopedSeed {
public:
    explicit ScopedSeed(uint64_t seed);
    ~ScopedSeed();

private:
    std::unique_ptr<RandomSource> previous_;
};

}  // namespace kordalt
