// Writes the game's background music: two short Standard MIDI Files (format 1)
// with a melody and a bass line each.
//
// Usage: make_music <output folder>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kTicksPerQuarter = 480;

struct Voice {
    uint8_t channel;
    uint8_t program;  // General MIDI instrument
    uint8_t velocity;
    std::string notes;  // "C5:1 D5:0.5 r:1": pitch (or r for a rest) and length in quarters
};

struct Tune {
    const char* fileName;
    int beatsPerMinute;
    uint8_t beatsPerBar;
    int repeats;
    std::vector<Voice> voices;
};

void PutVarLen(std::string& out, uint32_t value) {
    uint8_t bytes[5];
    int n = 0;
    bytes[n++] = value & 0x7F;
    while (value >>= 7) bytes[n++] = static_cast<uint8_t>((value & 0x7F) | 0x80);
    while (n > 0) out += static_cast<char>(bytes[--n]);
}

void PutBigEndian(std::string& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string Chunk(const char* id, const std::string& body) {
    std::string out(id, 4);
    PutBigEndian(out, static_cast<uint32_t>(body.size()), 4);
    return out + body;
}

std::string EndOfTrack() { return std::string("\x00\xFF\x2F\x00", 4); }

// MIDI key of "C4" (60), "G#4", "Bb3"; -1 for a rest "r".
int KeyOf(const std::string& name) {
    if (name == "r") return -1;
    static const int kSteps[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    int key = kSteps[name[0] - 'A'];
    size_t i = 1;
    if (name[i] == '#')
        ++key, ++i;
    else if (name[i] == 'b')
        --key, ++i;
    return key + 12 * (std::stoi(name.substr(i)) + 1);
}

std::string TempoTrack(const Tune& tune) {
    std::string body;
    PutVarLen(body, 0);
    body += "\xFF\x51\x03";
    PutBigEndian(body, 60000000u / static_cast<uint32_t>(tune.beatsPerMinute), 3);
    PutVarLen(body, 0);
    body += "\xFF\x58\x04";
    body += static_cast<char>(tune.beatsPerBar);
    body += std::string("\x02\x18\x08", 3);
    return Chunk("MTrk", body + EndOfTrack());
}

std::string VoiceTrack(const Tune& tune, const Voice& voice) {
    std::string body;
    PutVarLen(body, 0);
    body += static_cast<char>(0xC0 | voice.channel);
    body += static_cast<char>(voice.program);
    uint32_t pending = 0;  // ticks of rest before the next event
    for (int r = 0; r < tune.repeats; ++r) {
        std::istringstream notes(voice.notes);
        std::string note;
        while (notes >> note) {
            const size_t colon = note.find(':');
            const int key = KeyOf(note.substr(0, colon));
            const auto ticks = static_cast<uint32_t>(std::stod(note.substr(colon + 1)) * kTicksPerQuarter);
            if (key < 0) {
                pending += ticks;
                continue;
            }
            PutVarLen(body, pending);
            body += static_cast<char>(0x90 | voice.channel);
            body += static_cast<char>(key);
            body += static_cast<char>(voice.velocity);
            PutVarLen(body, ticks);
            body += static_cast<char>(0x80 | voice.channel);
            body += static_cast<char>(key);
            body += '\x40';
            pending = 0;
        }
    }
    PutVarLen(body, pending);
    body += std::string("\xFF\x2F\x00", 3);
    return Chunk("MTrk", body);
}

std::string MidiFile(const Tune& tune) {
    std::string header;
    PutBigEndian(header, 1, 2);
    PutBigEndian(header, static_cast<uint32_t>(tune.voices.size() + 1), 2);
    PutBigEndian(header, kTicksPerQuarter, 2);
    std::string out = Chunk("MThd", header) + TempoTrack(tune);
    for (const Voice& voice : tune.voices) out += VoiceTrack(tune, voice);
    return out;
}

const std::vector<Tune>& Tunes() {
    static const std::vector<Tune> tunes = {
        {"march.mid",
         112,
         4,
         2,
         {{0, 56, 96,  // trumpet
           "G4:1 C5:1 C5:0.5 D5:0.5 E5:1  E5:1 D5:0.5 C5:0.5 D5:2  "
           "G4:1 D5:1 D5:0.5 E5:0.5 F5:1  F5:1 E5:0.5 D5:0.5 E5:2  "
           "E5:1 G5:1 F5:1 E5:1  D5:1 F5:1 E5:1 D5:1  "
           "C5:1 E5:1 D5:0.5 C5:0.5 B4:1  C5:3 r:1"},
          {1, 58, 80,  // tuba
           "C3:1 G2:1 C3:1 G2:1  G2:1 D3:1 G2:1 D3:1  G2:1 D3:1 G2:1 D3:1  C3:1 G2:1 C3:1 G2:1  "
           "C3:1 G2:1 C3:1 G2:1  G2:1 D3:1 G2:1 D3:1  C3:1 G2:1 G2:1 G2:1  C3:3 r:1"}}},
        {"plain.mid",
         84,
         3,
         2,
         {{0, 73, 90,  // flute
           "A4:2 C5:1  E5:2 D5:1  C5:1 B4:1 A4:1  B4:3  "
           "G4:2 B4:1  D5:2 C5:1  B4:1 A4:1 G#4:1  A4:3"},
          {1, 48, 64,  // strings
           "A2:3 A2:3 F2:3 E2:3 G2:3 G2:3 E2:3 A2:3"}}},
    };
    return tunes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_music <output folder>\n");
        return 2;
    }
    for (const Tune& tune : Tunes()) {
        const std::string path = std::string(argv[1]) + "/" + tune.fileName;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << MidiFile(tune);
        if (!out.flush()) {
            std::fprintf(stderr, "make_music: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
