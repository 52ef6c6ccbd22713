#include "core/DeferredPicture.h"

#include "support/RecordingCanvas.h"

#include <gtest/gtest.h>

namespace {

using Kind = RecordingCanvas::Kind;

// The calls of a plot's life: drawing, a pen change, a clear that covers all before it,
// and drawing after it in the pen and line style set before the clear.
void DrawSample(Picture& p) {
    p.Line(1, 2, 3, 4, 0x00FF00);
    p.SetPenWidth(2);
    p.SetLineStyle(LineStyle::Dashed);
    p.Cls(0xFFFFFF);
    p.Line(17, 18, 19, 20, 0x00FF00);
    p.SetLineStyle(LineStyle::Solid);
    p.Box(5, 6, 7, 8, 0x0000FF, true);
    p.Text(9, 10, "5000 Hz", 0xFF0000);
    p.Point(11, 12, 0x123456);
    p.SetPenWidth(1);
    p.Line(13, 14, 15, 16, 0xABCDEF);
}

bool Same(const RecordingCanvas::Op& a, const RecordingCanvas::Op& b) {
    return a.kind == b.kind && a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2 && a.color == b.color &&
           a.penWidth == b.penWidth && a.text == b.text && a.style == b.style;
}

TEST(DeferredPictureTest, NothingIsDrawnUntilThePictureIsSavedThenAllAsIfDrawnDirectly) {
    RecordingCanvas direct(640, 480);
    DrawSample(direct);

    RecordingCanvas behind(640, 480);
    int made = 0;
    DeferredPicture deferred(640, 480, [&]() -> Picture& {
        ++made;
        return behind;
    });
    DrawSample(deferred);
    EXPECT_EQ(made, 0);
    EXPECT_EQ(deferred.Width(), 640);
    EXPECT_EQ(deferred.Height(), 480);

    deferred.SaveBmp("unused.bmp");
    EXPECT_EQ(made, 1);
    // What the clear covered is not played; from the clear on, every call as drawn.
    ASSERT_EQ(direct.ops.front().kind, Kind::Line);
    ASSERT_EQ(behind.ops.size(), direct.ops.size() - 1);
    for (std::size_t i = 0; i < behind.ops.size(); ++i) EXPECT_TRUE(Same(behind.ops[i], direct.ops[i + 1])) << i;

    // A loaded picture goes over what was drawn before it, so that is played first.
    deferred.Point(1, 1, 0x111111);
    deferred.LoadBmp("unused.bmp");
    ASSERT_EQ(behind.ops.back().kind, Kind::Point);
    EXPECT_EQ(behind.ops.back().penWidth, 1);
    EXPECT_EQ(made, 1);
}

} // namespace
