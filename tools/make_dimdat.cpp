// Writes the rules data file from its readable source: make_dimdat SOURCE OUTPUT.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "game/rules_data.h"

namespace {

using kordalt::TDimData;

struct TacticSource {
    bool defined = false;
    int minMastery = 0, minCondition = 0, minMorale = 0;
    double attack[kordalt::kMaxTroopTypes] = {}, gain[kordalt::kMaxTroopTypes] = {},
           loss[kordalt::kMaxTroopTypes] = {};
};

struct Source {
    int troopTypes = 0, tactics = 0;
    TacticSource tactic[kordalt::kMaxTactics];
    double counter[kordalt::kMaxTactics][kordalt::kMaxTactics];
    Source() {
        for (auto& row : counter)
            for (double& f : row) f = 1.0;
    }
};

[[noreturn]] void Fail(int line, const std::string& what) {
    throw std::runtime_error("line " + std::to_string(line) + ": " + what);
}

int ReadInt(std::istringstream& in, int line, int lo, int hi, const char* what) {
    int v;
    if (!(in >> v) || v < lo || v > hi)
        Fail(line, std::string(what) + " must be " + std::to_string(lo) + ".." + std::to_string(hi));
    return v;
}

double ReadFactor(std::istringstream& in, int line) {
    double v;
    if (!(in >> v) || !std::isfinite(v) || v < 0) Fail(line, "a coefficient must be a finite number >= 0");
    return v;
}

void ReadFactors(std::istringstream& in, int line, const char* keyword, int count, double* out) {
    std::string word;
    if (!(in >> word) || word != keyword) Fail(line, std::string("expected '") + keyword + "'");
    for (int k = 0; k < count; ++k) out[k] = ReadFactor(in, line);
}

Source Parse(std::istream& file) {
    Source src;
    std::string text;
    for (int line = 1; std::getline(file, text); ++line) {
        if (auto hash = text.find('#'); hash != std::string::npos) text.erase(hash);
        std::istringstream in(text);
        std::string keyword;
        if (!(in >> keyword)) continue;
        if (keyword == "troop_types") {
            src.troopTypes = ReadInt(in, line, 1, kordalt::kMaxTroopTypes, "troop_types");
        } else if (keyword == "tactics") {
            src.tactics = ReadInt(in, line, 1, kordalt::kMaxTactics, "tactics");
        } else if (keyword == "tactic") {
            if (src.troopTypes == 0) Fail(line, "troop_types must come first");
            TacticSource& t = src.tactic[ReadInt(in, line, 1, kordalt::kMaxTactics, "tactic") - 1];
            if (t.defined) Fail(line, "tactic defined twice");
            t.defined = true;
            t.minMastery = ReadInt(in, line, 0, 255, "least mastery");
            t.minCondition = ReadInt(in, line, 0, 255, "least condition");
            t.minMorale = ReadInt(in, line, 0, 255, "least morale");
            ReadFactors(in, line, "attack", src.troopTypes, t.attack);
            ReadFactors(in, line, "gain", src.troopTypes, t.gain);
            ReadFactors(in, line, "loss", src.troopTypes, t.loss);
        } else if (keyword == "counter") {
            const int own = ReadInt(in, line, 1, kordalt::kMaxTactics, "tactic");
            const int enemy = ReadInt(in, line, 1, kordalt::kMaxTactics, "enemy tactic");
            src.counter[own - 1][enemy - 1] = ReadFactor(in, line);
        } else {
            Fail(line, "unknown keyword '" + keyword + "'");
        }
        std::string rest;
        if (in >> rest) Fail(line, "unexpected '" + rest + "'");
    }
    if (src.tactics == 0 || src.troopTypes == 0)
        throw std::runtime_error("troop_types and tactics are required");
    for (int t = 0; t < src.tactics; ++t)
        if (!src.tactic[t].defined)
            throw std::runtime_error("tactic " + std::to_string(t + 1) + " is missing");
    return src;
}

void Fill(const Source& src, TDimData& dim) {
    std::memset(&dim, 0, sizeof dim);
    dim.TacticCount = static_cast<uint8_t>(src.tactics);
    dim.TroopTypeCount = static_cast<uint8_t>(src.troopTypes);
    for (int t = 1; t <= src.tactics; ++t) {
        const TacticSource& s = src.tactic[t - 1];
        dim.Tactics[t].MinMastery = static_cast<uint8_t>(s.minMastery);
        dim.Tactics[t].MinCondition = static_cast<uint8_t>(s.minCondition);
        dim.Tactics[t].MinMorale = static_cast<uint8_t>(s.minMorale);
        for (int e = 1; e <= src.tactics; ++e)
            for (int k = 1; k <= src.troopTypes; ++k) {
                auto& c = dim.BattleTable[t][e][k];
                c[1] = s.attack[k - 1] * src.counter[t - 1][e - 1];
                c[2] = s.gain[k - 1];
                c[3] = s.loss[k - 1];
            }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_dimdat SOURCE OUTPUT\n";
        return 2;
    }
    try {
        std::ifstream in(argv[1]);
        if (!in) throw std::runtime_error("cannot open");
        const Source src = Parse(in);
        auto dim = std::make_unique<TDimData>();
        Fill(src, *dim);
        const std::string tmp = std::string(argv[2]) + ".tmp";
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(dim.get()), sizeof(TDimData));
        out.close();
        if (!out || std::rename(tmp.c_str(), argv[2]) != 0)
            throw std::runtime_error(std::string("cannot write ") + argv[2]);
    } catch (const std::exception& e) {
        std::cerr << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
