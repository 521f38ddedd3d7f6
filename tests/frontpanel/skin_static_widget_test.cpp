// The self-painted label: the font height it is given, and a font that cannot be made.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QPixmap>
#include <QStringList>
#include <climits>

#include "controls/skin_static.h"

namespace zc::fp::testing {
namespace {

constexpr CRgb kTeal{0, 128, 128};

int Cell(QFont font, int pixelSize) {
  font.setPixelSize(pixelSize);
  const QFontMetrics fm(font);
  return fm.ascent() + fm.descent();
}

// Pixels of the label in its text colour: whether any text was drawn.
int TextPixels(CSkinStatic& label) {
  const QImage image = label.grab().toImage();
  const QColor teal(kTeal.red, kTeal.green, kTeal.blue);
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) n += image.pixelColor(x, y) == teal;
  }
  return n;
}

class SkinStaticTest : public ::testing::Test {
 protected:
  SkinStaticTest() {
    label.resize(160, 60);
    label.setText(QStringLiteral("10.000000 MHz"));
    label.onFontFailure = [this](const QString& text) { failures << text; };
  }
  CSkinStatic label{1098};
  QStringList failures;
};

// A positive height is the cell height: the label takes the largest pixel size whose ascent plus
// descent fits in it (pixel sizes step in whole pixels, so the cell may come out a pixel short).
TEST_F(SkinStaticTest, PositiveHeightIsTheCellHeight) {
  for (const char* face : {"Verdana", "Times New Roman", "DejaVu Sans"}) {
    for (unsigned flags : {0x00u, 0x01u}) {
      for (int height : {8, 13, 17, 22, 40}) {
        label.SetFontStyle(QString::fromLatin1(face), height, kTeal, flags);
        ASSERT_TRUE(label.labelFont().has_value());
        const QFont& font = *label.labelFont();
        EXPECT_LE(Cell(font, font.pixelSize()), height) << face << " " << height;
        EXPECT_GT(Cell(font, font.pixelSize() + 1), height) << face << " " << height;
        EXPECT_LT(font.pixelSize(), height) << "a pixel size of the height itself is too tall";
      }
    }
  }
  EXPECT_TRUE(failures.isEmpty());
}

// A negative height is the character height, which is Qt's pixel size.
TEST_F(SkinStaticTest, NegativeHeightIsThePixelSize) {
  for (int height : {-8, -17, -22}) {
    label.SetFontStyle(QStringLiteral("Verdana"), height, kTeal, 0x01);
    ASSERT_TRUE(label.labelFont().has_value());
    EXPECT_EQ(label.labelFont()->pixelSize(), -height);
  }
}

TEST_F(SkinStaticTest, OutlandishHeightsStillMakeAFont) {
  for (int height : {1, INT_MAX, INT_MIN, -1}) {
    label.SetFontStyle(QStringLiteral("Verdana"), height, kTeal, 0);
    ASSERT_TRUE(label.labelFont().has_value()) << height;
    EXPECT_GE(label.labelFont()->pixelSize(), 1);
    label.grab();  // and painting with it is fine
  }
  EXPECT_TRUE(failures.isEmpty());
}

struct BadFont {
  const char* face;
  int height;
};

// The message comes once, from SetFontStyle; painting then shows no text and says nothing.
TEST_F(SkinStaticTest, AFontThatCannotBeMadeIsReportedOnceAndDrawsNothing) {
  label.SetFontStyle(QStringLiteral("Verdana"), 17, kTeal, 0x41);
  ASSERT_GT(TextPixels(label), 0);
  for (BadFont bad : {BadFont{"", 17}, BadFont{"Verdana", 0}}) {
    failures.clear();
    label.SetFontStyle(QString::fromLatin1(bad.face), bad.height, kTeal, 0x41);
    EXPECT_EQ(failures, QStringList{QStringLiteral("Font could not be created!")}) << bad.face;
    EXPECT_FALSE(label.labelFont().has_value());
    EXPECT_EQ(TextPixels(label), 0);
    label.grab();
    EXPECT_EQ(failures.size(), 1) << "painting must not raise it again";
  }
  failures.clear();
  label.SetFontStyle(QStringLiteral("Verdana"), 17, kTeal, 0x41);
  EXPECT_TRUE(failures.isEmpty());
  EXPECT_GT(TextPixels(label), 0);
}

}  // namespace
}  // namespace zc::fp::testing
