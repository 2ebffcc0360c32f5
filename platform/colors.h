// Colours as the game stores them: 0x00BBGGRR, or a system colour (high byte
// 0x80, low byte the index). Turn-report records and chat lines carry them.
#pragma once

#include <cstdint>

namespace kordalt {

using TColor = std::uint32_t;

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clWindow = 0x80000005, clWindowFrame = 0x80000006, clWindowText = 0x80000008,
                 clBtnFace = 0x8000000F, clBtnShadow = 0x80000010, clGrayText = 0x80000011,
                 clBtnText = 0x80000012, clBtnHighlight = 0x80000014;

}  // namespace kordalt
