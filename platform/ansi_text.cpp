#include "platform/ansi_text.h"

namespace kordalt {
namespace {

unsigned char LowerCp1251(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDF) return static_cast<unsigned char>(c + 32);  // А..Я
    switch (c) {
        case 0xA8:
            return 0xB8;  // Ё
        case 0x80:
            return 0x90;  // Ђ
        case 0x81:
            return 0x83;  // Ѓ
        case 0x8A:
            return 0x9A;  // Љ
        case 0x8C:
            return 0x9C;  // Њ
        case 0x8D:
            return 0x9D;  // Ќ
        case 0x8E:
            return 0x9E;  // Ћ
        case 0x8F:
            return 0x9F;  // Џ
        case 0xA1:
            return 0xA2;  // Ў
        case 0xA3:
            return 0xBC;  // Ј
        case 0xA5:
            return 0xB4;  // Ґ
        case 0xAA:
            return 0xBA;  // Є
        case 0xAF:
            return 0xBF;  // Ї
        case 0xB2:
            return 0xB3;  // І
        case 0xBD:
            return 0xBE;  // Ѕ
        default:
            return c;
    }
}

}  // namespace

std::string AnsiLowerCase(std::string_view cp1251) {
    std::string out(cp1251);
    for (char& c : out) c = static_cast<char>(LowerCp1251(static_cast<unsigned char>(c)));
    return out;
}

bool AnsiSameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerCp1251(static_cast<unsigned char>(a[i])) != LowerCp1251(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace kordalt
