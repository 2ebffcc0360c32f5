// Icon and animated cursor files built byte by byte for the reader tests.
#pragma once

#include <QColor>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/message_box.h"

namespace kordalt::test {

using Bytes = std::vector<uint8_t>;

// Runs `call`, answering the message box it shows; the box's text.
inline QString AnswerMessageBox(const std::function<void()>& call) {
    QString shown;
    ScopedMessageBoxHook hook([&shown](TMsgType, const QString& text) {
        shown = text;
        return TMsgButton::Ok;
    });
    call();
    return shown;
}

inline void Put16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
inline void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }
inline void Append(Bytes& b, std::string_view text) { b.insert(b.end(), text.begin(), text.end()); }

struct IconSpec {
    int width = 4, height = 4;
    int type = 1;  // 1 icon, 2 cursor
    int hotX = 0, hotY = 0;
    int bitCount = 24;  // 24, or 8 with a 2-entry table (0 = colour, 1 = black)
    QRgb colour = qRgb(255, 0, 0);
    bool maskFirstPixel = false;  // the top-left pixel transparent
};

// An icon file with one DIB image: every pixel `colour`.
inline Bytes MakeIcon(const IconSpec& s) {
    const int colourRow = ((s.width * s.bitCount + 31) / 32) * 4, maskRow = ((s.width + 31) / 32) * 4;
    const uint32_t table = s.bitCount == 8 ? 2 : 0;
    const uint32_t imageSize = 40 + 4 * table + static_cast<uint32_t>((colourRow + maskRow) * s.height);
    Bytes b;
    Put16(b, 0);
    Put16(b, static_cast<uint32_t>(s.type));
    Put16(b, 1);
    b.push_back(static_cast<uint8_t>(s.width));
    b.push_back(static_cast<uint8_t>(s.height));
    b.push_back(0);
    b.push_back(0);
    Put16(b, static_cast<uint32_t>(s.hotX));
    Put16(b, static_cast<uint32_t>(s.hotY));
    Put32(b, imageSize);
    Put32(b, 22);
    Put32(b, 40);
    Put32(b, static_cast<uint32_t>(s.width));
    Put32(b, static_cast<uint32_t>(2 * s.height));
    Put16(b, 1);
    Put16(b, static_cast<uint32_t>(s.bitCount));
    for (int i = 0; i < 4; ++i) Put32(b, 0);
    Put32(b, table);
    Put32(b, 0);
    if (table) {
        b.insert(b.end(), {static_cast<uint8_t>(qBlue(s.colour)), static_cast<uint8_t>(qGreen(s.colour)),
                           static_cast<uint8_t>(qRed(s.colour)), 0, 0, 0, 0, 0});
    }
    for (int y = 0; y < s.height; ++y) {
        Bytes row(static_cast<size_t>(colourRow), 0);
        for (int x = 0; x < s.width && s.bitCount == 24; ++x) {
            row[3 * x] = static_cast<uint8_t>(qBlue(s.colour));
            row[3 * x + 1] = static_cast<uint8_t>(qGreen(s.colour));
            row[3 * x + 2] = static_cast<uint8_t>(qRed(s.colour));
        }
        Append(b, row);
    }
    for (int y = 0; y < s.height; ++y) {
        Bytes row(static_cast<size_t>(maskRow), 0);
        if (s.maskFirstPixel && y == s.height - 1) row[0] = 0x80;  // rows are stored bottom-up
        Append(b, row);
    }
    return b;
}

inline Bytes Chunk(std::string_view id, const Bytes& data) {
    Bytes b;
    Append(b, id);
    Put32(b, static_cast<uint32_t>(data.size()));
    Append(b, data);
    if (data.size() % 2) b.push_back(0);
    return b;
}

inline Bytes List(std::string_view type, const Bytes& chunks) {
    Bytes data;
    Append(data, type);
    Append(data, chunks);
    return Chunk("LIST", data);
}

inline Bytes Anih(uint32_t frames, uint32_t steps, uint32_t rate, uint32_t flags = 1) {
    Bytes b;
    for (uint32_t v : {36u, frames, steps, 0u, 0u, 0u, 0u, rate, flags}) Put32(b, v);
    return Chunk("anih", b);
}

inline Bytes Value32(std::string_view id, uint32_t v) {
    Bytes b;
    Put32(b, v);
    return Chunk(id, b);
}

inline Bytes Riff(const Bytes& chunks, std::string_view form = "ACON") {
    Bytes data;
    Append(data, form);
    Append(data, chunks);
    return Chunk("RIFF", data);
}

inline Bytes FramList(const std::vector<Bytes>& icons) {
    Bytes chunks;
    for (const Bytes& icon : icons) Append(chunks, Chunk("icon", icon));
    return List("fram", chunks);
}

}  // namespace kordalt::test
