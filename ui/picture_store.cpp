#include "ui/picture_store.h"

#include <QPainter>
#include <QRect>

#include "platform/cp1251.h"

namespace kordalt {

std::unique_ptr<TPictureFragmentList> PictureList;

namespace {

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

}  // namespace

// ---- TIniFileEx ----

void TIniFileEx::SetSection(const std::string& S) {
    ResetSection();
    section_ = S;
}

void TIniFileEx::ResetSection() { section_.clear(); }

std::string TIniFileEx::ExtractField(std::string_view Value, int N) const {
    if (N <= 0) return {};
    size_t start = 0;
    size_t end = Value.size();
    int k = N;
    for (size_t pos = Value.find(separator_); pos != std::string_view::npos;
         pos = Value.find(separator_, pos + separator_.size())) {
        if (--k == 0) {
            end = pos;
            break;
        }
        start = pos + separator_.size();
    }
    return std::string(Trimmed(Value.substr(start, end - start)));
}

std::string TIniFileEx::ReadField(std::string_view Key, int N) const {
    const std::string value = ReadString(section_, Key, "");
    return N == 0 ? value : ExtractField(value, N);
}

int32_t TIniFileEx::ReadFieldInt(std::string_view Key, int N) const {
    const std::string text = ReadField(Key, N);
    int32_t value = 0;
    if (!ParseIniInteger(Trimmed(text), value))
        throw EConvertError("'" + Cp1251ToUtf8(text) + "' is not a valid integer value");
    return value;
}

int32_t TIniFileEx::ReadRowInt(int Row, int N) const { return ReadFieldInt(std::to_string(Row), N); }

// ---- TPictureFragment ----

QRect TPictureFragment::FragmentRect() const { return QRect(Left, Top, Width, Height); }

// ---- TPictureFragmentList ----

TPictureFragmentList::TPictureFragmentList(const std::string& FileName, const std::string& Section)
    : FileName(FileName), Section(Section) {
    LoadFragments();
}

TPictureFragmentList::~TPictureFragmentList() { Image.reset(); }

void TPictureFragmentList::LoadFragments() {
    FreeObjects();
    Image = std::make_unique<QImage>();
    TIniFileEx ini(FileName);
    ini.SetSection(Section);
    const QString bitmap = QString::fromStdString(Cp1251ToUtf8(ini.ReadField("Icons", 0)));
    if (!Image->load(bitmap)) throw EFOpenError("Cannot open file \"" + bitmap.toStdString() + "\"");
    const int32_t count = ini.ReadFieldInt("Count", 0);
    for (int i = 0; i < count; ++i)
        Add(std::make_unique<TPictureFragment>(ini.ReadRowInt(i, 1), ini.ReadRowInt(i, 2),
                                               ini.ReadRowInt(i, 3), ini.ReadRowInt(i, 4), 0));
    ini.ResetSection();
}

TPictureFragment& TPictureFragmentList::GetFragment(int Index) const { return *Items(Index); }

void TPictureFragmentList::DrawFragment(int X, int Y, QPainter& Canvas, int Index) const {
    if (!Image) return;
    const QRect source = GetFragment(Index).FragmentRect();
    Canvas.save();
    Canvas.setCompositionMode(QPainter::CompositionMode_Source);
    Canvas.drawImage(QPoint(X, Y), *Image, source);
    Canvas.restore();
}

void TPictureFragmentList::DrawFragmentTransparent(int X, int Y, QPainter& Canvas, int Index) const {
    if (!Image) return;
    const TPictureFragment& fragment = GetFragment(Index);
    if (fragment.Width <= 0 || fragment.Height <= 0) return;
    QImage piece(fragment.Width, fragment.Height, QImage::Format_ARGB32);
    piece.fill(Qt::black);
    {
        QPainter painter(&piece);
        DrawFragment(0, 0, painter, Index);
    }
    const QRgb key = piece.pixel(0, piece.height() - 1);
    for (int y = 0; y < piece.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(piece.scanLine(y));
        for (int x = 0; x < piece.width(); ++x)
            line[x] = line[x] == key ? qRgba(0, 0, 0, 0) : (line[x] | 0xFF000000u);
    }
    Canvas.drawImage(QPoint(X, Y), piece);
}

void TPictureFragmentList::LoadGlyph(QImage& Bitmap, int Index) const {
    if (!Image) return;
    const TPictureFragment& fragment = GetFragment(Index);
    Bitmap = QImage(fragment.Width, fragment.Height, QImage::Format_RGB32);
    if (Bitmap.isNull()) return;
    Bitmap.fill(Qt::black);
    QPainter painter(&Bitmap);
    DrawFragment(0, 0, painter, Index);
}

}  // namespace kordalt
