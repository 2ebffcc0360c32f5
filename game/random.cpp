#include "game/random.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <utility>

namespace kordalt {
namespace {

uint64_t SplitMix64(uint64_t& x) {
    uint64_t z = (x += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

uint64_t Rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

uint64_t ClockSeed() {
    return static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

std::unique_ptr<RandomSource>& Current() {
    static std::unique_ptr<RandomSource> source = std::make_unique<Xoshiro256>(ClockSeed());
    return source;
}

}  // namespace

Xoshiro256::Xoshiro256(uint64_t seed) {
    for (auto& s : s_) s = SplitMix64(seed);
}

uint64_t Xoshiro256::Next() {
    const uint64_t result = Rotl(s_[1] * 5, 7) * 9;
    const uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = Rotl(s_[3], 45);
    return result;
}

int Xoshiro256::Below(int n) {
    // Rejection keeps the draw exactly uniform.
    const uint64_t range = static_cast<uint64_t>(n);
    const uint64_t limit = UINT64_MAX - UINT64_MAX % range;
    uint64_t x;
    do {
        x = Next();
    } while (x >= limit);
    return static_cast<int>(x % range);
}

double Xoshiro256::Real() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

int Random(int n) { return n <= 0 ? 0 : Current()->Below(n); }

double RandomReal() { return Current()->Real(); }

uint64_t Randomize() {
    uint64_t seed = ClockSeed();
    if (const char* env = std::getenv("KORDALT_SEED"); env && *env) {
        char* end = nullptr;
        const unsigned long long v = std::strtoull(env, &end, 10);
        if (end && *end == '\0') seed = v;
    }
    SeedRandom(seed);
    return seed;
}

void SeedRandom(uint64_t seed) { Current() = std::make_unique<Xoshiro256>(seed); }

std::unique_ptr<RandomSource> SetRandomSource(std::unique_ptr<RandomSource> source) {
    if (!source) source = std::make_unique<Xoshiro256>(ClockSeed());
    return std::exchange(Current(), std::move(source));
}

int ScriptedRandom::Below(int n) {
    if (draws_.empty())
        throw ScriptedRandomError("scripted random: Random(" + std::to_string(n) +
                                  ") past the end of the script");
    const Draw d = draws_.front();
    if (!std::holds_alternative<int>(d))
        throw ScriptedRandomError("scripted random: Random(" + std::to_string(n) +
                                  ") where a real was scripted (draw " + std::to_string(consumed_ + 1) + ")");
    const int v = std::get<int>(d);
    if (v < 0 || v >= n)
        throw ScriptedRandomError("scripted random: " + std::to_string(v) + " is outside Random(" +
                                  std::to_string(n) + ") (draw " + std::to_string(consumed_ + 1) + ")");
    draws_.pop_front();
    ++consumed_;
    return v;
}

double ScriptedRandom::Real() {
    if (draws_.empty()) throw ScriptedRandomError("scripted random: a real drawn past the end of the script");
    const Draw d = draws_.front();
    if (!std::holds_alternative<double>(d))
        throw ScriptedRandomError("scripted random: a real drawn where Random(n) was scripted (draw " +
                                  std::to_string(consumed_ + 1) + ")");
    draws_.pop_front();
    ++consumed_;
    return std::get<double>(d);
}

ScopedScriptedRandom::ScopedScriptedRandom(std::initializer_list<ScriptedRandom::Draw> draws) {
    auto script = std::make_unique<ScriptedRandom>(draws);
    script_ = script.get();
    previous_ = SetRandomSource(std::move(script));
}

ScopedScriptedRandom::~ScopedScriptedRandom() { SetRandomSource(std::move(previous_)); }

ScopedSeed::ScopedSeed(uint64_t seed) : previous_(SetRandomSource(std::make_unique<Xoshiro256>(seed))) {}

ScopedSeed::~ScopedSeed() { SetRandomSource(std::move(previous_)); }

}  // namespace kordalt
