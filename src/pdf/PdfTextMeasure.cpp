#include "pdf/PdfTextMeasure.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QPointF>
#include <QRawFont>
#include <QString>

#include <string>

namespace qly {
namespace {

uint16_t be16(const QByteArray& t, int at) {
    return static_cast<uint16_t>((uint8_t(t[at]) << 8) | uint8_t(t[at + 1]));
}
int16_t be16s(const QByteArray& t, int at) {
    return static_cast<int16_t>(be16(t, at));
}
int32_t be32s(const QByteArray& t, int at) {
    return static_cast<int32_t>(uint32_t(be16(t, at)) << 16 | be16(t, at + 2));
}

class QtTextMeasure final : public PdfTextMeasure {
  public:
    void setFont(std::u16string_view name, uint8_t style, int32_t size) override {
        if (selected_ && name == name_ && style == style_ && size == size_) {
            return; // the same font again: keep what was looked up
        }
        selected_ = true;
        name_ = name;
        style_ = style;
        size_ = size;
        raw_ = QRawFont();
        rangeKnown_ = false;
        // Qt's font database needs a QGuiApplication; asking it without one ends the process.
        if (size <= 0 || qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
            return;
        }
        QFont font(QString::fromUtf16(name.data(), static_cast<qsizetype>(name.size())));
        font.setBold((style & 1) != 0);
        font.setItalic((style & 2) != 0);
        font.setHintingPreference(QFont::PreferNoHinting);
        font.setPixelSize(size); // at 72 pixels per inch a pixel is a point
        QRawFont raw = QRawFont::fromFont(font);
        if (!raw.isValid()) {
            return;
        }
        // Measure in the font's own design units (the em square as the pixel size), where Qt's
        // 1/64-pixel fixed point holds the values exactly, then scale to the size asked for.
        const double unitsPerEm = raw.unitsPerEm() > 0 ? raw.unitsPerEm() : 1000.0;
        raw.setPixelSize(unitsPerEm);
        raw_ = raw;
        scale_ = size / unitsPerEm;
    }

    bool hasFont() const override { return raw_.isValid(); }

    double ascent() const override { return hasFont() ? raw_.ascent() * scale_ : 0.0; }
    double descent() const override { return hasFont() ? raw_.descent() * scale_ : 0.0; }
    double maxCharWidth() const override { return hasFont() ? raw_.maxCharWidth() * scale_ : 0.0; }

    double charWidth(char16_t c) const override {
        if (!hasFont()) {
            return 0.0;
        }
        const QChar ch(c);
        quint32 glyph = 0;
        int glyphs = 1;
        if (!raw_.glyphIndexesForChars(&ch, 1, &glyph, &glyphs) || glyphs != 1) {
            glyph = 0; // the font's missing-glyph shape stands in
        }
        QPointF advance;
        if (!raw_.advancesForGlyphIndexes(&glyph, &advance, 1, QRawFont::UseDesignMetrics)) {
            return 0.0;
        }
        return advance.x() * scale_;
    }

    bool outline(Outline& out) const override {
        if (!hasFont()) {
            return false;
        }
        // The font box comes from the OpenType 'head' table, the italic angle from the 'post'
        // table; fonts without them (Type 1, bitmap fonts) have no outline metrics of this kind.
        const QByteArray head = raw_.fontTable("head");
        if (head.size() < 54) {
            return false;
        }
        const int unitsPerEm = be16(head, 18);
        if (unitsPerEm == 0) {
            return false;
        }
        const double k = size_ / double(unitsPerEm);
        out.left = be16s(head, 36) * k;
        out.bottom = be16s(head, 38) * k;
        out.right = be16s(head, 40) * k;
        out.top = be16s(head, 42) * k;
        out.italicAngle = 0;
        const QByteArray post = raw_.fontTable("post");
        if (post.size() >= 8) {
            out.italicAngle = be32s(post, 4) / 65536.0; // 16.16 fixed point
        }
        return true;
    }

    char16_t firstChar() const override {
        findRange();
        return first_;
    }
    char16_t lastChar() const override {
        findRange();
        return last_;
    }

  private:
    void findRange() const {
        if (rangeKnown_) {
            return;
        }
        rangeKnown_ = true;
        first_ = 0;
        last_ = 0;
        if (!hasFont()) {
            return;
        }
        int c = 0;
        while (c <= 0xFFFF && !raw_.supportsCharacter(QChar(char16_t(c)))) {
            ++c;
        }
        if (c > 0xFFFF) {
            return;
        }
        first_ = static_cast<char16_t>(c);
        c = 0xFFFF;
        while (c > first_ && !raw_.supportsCharacter(QChar(char16_t(c)))) {
            --c;
        }
        last_ = static_cast<char16_t>(c);
    }

    bool selected_ = false;
    std::u16string name_;
    uint8_t style_ = 0;
    int32_t size_ = 0;
    QRawFont raw_;
    double scale_ = 0;
    mutable bool rangeKnown_ = false;
    mutable char16_t first_ = 0;
    mutable char16_t last_ = 0;
};

} // namespace

std::unique_ptr<PdfTextMeasure> makeQtTextMeasure() {
    return std::make_unique<QtTextMeasure>();
}

} // namespace qly
