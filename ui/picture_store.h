// The picture store: every button glyph and small icon is a numbered rectangle
// cut from one bitmap. The settings file names the bitmap and lists the
// rectangles; the store hands the fragments out as glyphs or draws them.
#pragma once

#include <QImage>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/convert_error.h"
#include "platform/ini_file.h"
#include "platform/support.h"

class QPainter;
class QRect;

namespace kordalt {

// A bitmap file that cannot be read.
class EFOpenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads comma-separated fields of the values of one section.
class TIniFileEx : public TIniFile {
public:
    using TIniFile::TIniFile;

    void SetSection(const std::string& S);
    void ResetSection();
    // Field N (1-based) of Value, trimmed. An N beyond the fields gives the last
    // field; N <= 0 gives an empty text.
    std::string ExtractField(std::string_view Value, int N) const;
    // Key's value in the current section (empty when missing): the whole value
    // for N = 0, else field N.
    std::string ReadField(std::string_view Key, int N) const;
    // ReadField as an integer; raises EConvertError when it is not one.
    int32_t ReadFieldInt(std::string_view Key, int N) const;
    // ReadFieldInt of the key that is the decimal text of Row.
    int32_t ReadRowInt(int Row, int N) const;

private:
    std::string section_;
    std::string separator_ = ",";
};

struct TPictureFragment {
    TPictureFragment(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight, int32_t ATag)
        : Left(ALeft), Top(ATop), Width(AWidth), Height(AHeight), Tag(ATag) {}
    // (Left, Top) to (Left + Width, Top + Height), right and bottom exclusive.
    QRect FragmentRect() const;

    int32_t Left, Top, Width, Height;
    int32_t Tag;
};

class TPictureFragmentList : public TObjList<TPictureFragment> {
public:
    // Reads section `Section` of the settings file `FileName` and loads its
    // bitmap. A bitmap that cannot be read raises EFOpenError, a number that is
    // not an integer EConvertError.
    TPictureFragmentList(const std::string& FileName, const std::string& Section);
    ~TPictureFragmentList() override;

    void LoadFragments();
    // Raises ECError "List index out of bounds" for an index outside the list.
    TPictureFragment& GetFragment(int Index) const;

    // Copies fragment Index, every pixel, with its upper-left corner at (X, Y).
    void DrawFragment(int X, int Y, QPainter& Canvas, int Index) const;
    // Draws fragment Index at (X, Y) without the pixels of its lower-left
    // pixel's colour.
    void DrawFragmentTransparent(int X, int Y, QPainter& Canvas, int Index) const;
    // Bitmap becomes the fragment's size and takes its pixels. A button's glyph:
    //   QImage glyph; PictureList->LoadGlyph(glyph, 7); button->SetGlyph(glyph);
    void LoadGlyph(QImage& Bitmap, int Index) const;

    std::string FileName;
    std::string Section;
    // The bitmap of all fragments; null when none is loaded.
    std::unique_ptr<QImage> Image;
};

// The program's picture store, made by the main menu at start-up.
extern std::unique_ptr<TPictureFragmentList> PictureList;

}  // namespace kordalt
