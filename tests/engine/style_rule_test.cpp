#include "engine/style_rule.h"

#include <gtest/gtest.h>

namespace vd {
namespace {

TEST(StyleRuleTest, SuggestsByCoverageAndShape) {
  struct Case {
    int boxW, boxH, screenW, screenH, expected;
  };
  const Case cases[] = {
      {300, 200, 1024, 768, kStyleTiled},
      {800, 600, 1024, 768, kStyleStretched},
      {1024, 400, 1024, 768, kStyleTiled},
      {1024, 600, 1024, 768, kStyleCentered},
      // Coverage thresholds: pw 1105 vs 1107, ph 828 vs 830.
      {539, 700, 1024, 768, kStyleTiled},
      {540, 700, 1024, 768, kStyleCentered},
      {1024, 404, 1024, 768, kStyleTiled},
      {1024, 405, 1024, 768, kStyleCentered},
      // Shape thresholds: ph/pw 1353/2100 < 0.645 < 1355/2100, 1804/2100 < 0.86 = 1806/2100.
      {1024, 660, 1024, 768, kStyleCentered},
      {1024, 661, 1024, 768, kStyleFill},  // in the band, but 1020 x 657 is far wider than 4:3
      {1024, 880, 1024, 768, kStyleFill},
      {1024, 881, 1024, 768, kStyleFit},  // 877 rows do not fit on 768
      // Centred only while the picture (the box less 4) fits: else fitted.
      {700, 772, 1024, 768, kStyleCentered},
      {700, 773, 1024, 768, kStyleFit},
      {1028, 500, 1024, 768, kStyleCentered},
      {1029, 500, 1024, 768, kStyleFit},
      {3028, 4036, 1920, 1080, kStyleFit},  // a phone photo held upright
      {5, 20004, 1024, 768, kStyleTiled},   // too narrow to measure: still tiled
      // Far larger than the screen: judged by shape, never cut.
      {20000, 15000, 1024, 768, kStyleStretched},
      {20000, 20000, 1024, 768, kStyleFit},
      {1920, 1080, 1920, 1080, kStyleStretched},  // the screen's own shape
      {6004, 4004, 1024, 768, kStyleFill},        // a 3:2 photo on a 4:3 screen keeps its circles round
      {4004, 3004, 1024, 768, kStyleStretched},   // a 4:3 photo looks the same stretched
      // Stretched only while the picture's shape is within 2 % of the screen's,
      // wider or narrower, on a landscape and a portrait screen.
      {1359 + 4, 1000 + 4, 1024, 768, kStyleStretched},  // 1.9 % wider
      {1361 + 4, 1000 + 4, 1024, 768, kStyleFill},       // 2.1 % wider
      {1307 + 4, 1000 + 4, 1024, 768, kStyleStretched},  // 2.0 % narrower, just within
      {1306 + 4, 1000 + 4, 1024, 768, kStyleFill},       // 2.05 % narrower
      {1000 + 4, 1359 + 4, 768, 1024, kStyleStretched},
      {1000 + 4, 1361 + 4, 768, 1024, kStyleFill},
      {1000 + 4, 1308 + 4, 768, 1024, kStyleStretched},
      {1000 + 4, 1307 + 4, 768, 1024, kStyleFill},
      // Nothing to measure.
      {0, 0, 1024, 768, kStyleTiled},
      {1024, 0, 1024, 768, kStyleTiled},
      {-800, -600, 1024, 768, kStyleTiled},
      {800, 600, 0, 768, kStyleTiled},
      {800, 600, 1024, 0, kStyleTiled},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SuggestStyle(c.boxW, c.boxH, c.screenW, c.screenH), c.expected)
        << c.boxW << "x" << c.boxH << " on " << c.screenW << "x" << c.screenH;
  }
}

TEST(StyleRuleTest, InfoMessageShowsThePictureWithoutItsBorder) {
  EXPECT_EQ(ImageInfoMessage("C:\\Pics\\Sunset.jpg", 644, 484, "Stretched"),
            "Filename             : C:\\Pics\\Sunset.jpg\r\n"
            "Dimensions         : 640x480\r\n"
            "Suggested Style : Stretched");
}

}  // namespace
}  // namespace vd
