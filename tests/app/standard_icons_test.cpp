// The style that keeps the standard icons: the same icons as the style it
// wraps, each asked of that style once per icon theme and direction, and the
// action run after a window's first paint.
#include <gtest/gtest.h>

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPaintEvent>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>
#include <memory>

#include "platform/qt/qt_standard_icons.h"

namespace morvane {
namespace {

// The application's default style, counting the icons asked of it.
class CountingStyle : public QProxyStyle {
  public:
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option,
                       const QWidget* widget) const override {
        ++asked;
        return QProxyStyle::standardIcon(icon, option, widget);
    }
    mutable int asked = 0;
};

QImage imageOf(const QIcon& icon, int size) {
    // In one format: a pixmap from the icon's cache may hold the same
    // pixels in another.
    return icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
}

class StandardIconsTest : public ::testing::Test {
  protected:
    CountingStyle* counting = new CountingStyle;  // owned by `cached`
    CachedIconsStyle cached{counting};
};

// Each box and each change of folder asked for a fresh icon and painted its
// first pixmap: the icons kept give the same pixels, however often asked.
TEST_F(StandardIconsTest, TheIconsAreTheWrappedStylesOwn) {
    const std::unique_ptr<QStyle> plain(QStyleFactory::create(QApplication::style()->name()));
    ASSERT_NE(plain, nullptr);
    for (QStyle::StandardPixmap icon :
         {QStyle::SP_MessageBoxQuestion, QStyle::SP_MessageBoxCritical,
          QStyle::SP_MessageBoxWarning, QStyle::SP_MessageBoxInformation, QStyle::SP_DialogOkButton,
          QStyle::SP_DialogCancelButton, QStyle::SP_DialogYesButton, QStyle::SP_DialogNoButton,
          QStyle::SP_DialogAbortButton, QStyle::SP_DialogRetryButton, QStyle::SP_DialogIgnoreButton,
          QStyle::SP_DirOpenIcon, QStyle::SP_DirClosedIcon}) {
        SCOPED_TRACE(static_cast<int>(icon));
        for (int size : {16, 32}) {
            const QImage expected = imageOf(plain->standardIcon(icon), size);
            EXPECT_EQ(imageOf(cached.standardIcon(icon), size), expected) << size;
            EXPECT_EQ(imageOf(cached.standardIcon(icon), size), expected)
                << size << ", asked again";
        }
    }
}

TEST_F(StandardIconsTest, EachIconIsAskedOnceUntilTheIconThemeChanges) {
    const QString theme = QIcon::themeName();
    cached.standardIcon(QStyle::SP_MessageBoxQuestion);
    cached.standardIcon(QStyle::SP_MessageBoxQuestion);
    cached.standardIcon(QStyle::SP_DialogOkButton);
    EXPECT_EQ(counting->asked, 2);

    QIcon::setThemeName(theme + QStringLiteral("-otro"));
    cached.standardIcon(QStyle::SP_MessageBoxQuestion);
    QIcon::setThemeName(theme);
    cached.standardIcon(QStyle::SP_MessageBoxQuestion);
    EXPECT_EQ(counting->asked, 4) << "a change of theme asks again";
}

TEST_F(StandardIconsTest, RightToLeftAndOptionsAreAskedApart) {
    cached.standardIcon(QStyle::SP_ArrowBack);
    QApplication::setLayoutDirection(Qt::RightToLeft);
    cached.standardIcon(QStyle::SP_ArrowBack);
    QApplication::setLayoutDirection(Qt::LeftToRight);
    cached.standardIcon(QStyle::SP_ArrowBack);
    EXPECT_EQ(counting->asked, 2);

    QStyleOption option;
    cached.standardIcon(QStyle::SP_ArrowBack, &option);
    cached.standardIcon(QStyle::SP_ArrowBack, &option);
    EXPECT_EQ(counting->asked, 4) << "an icon for an option is never kept";
}

TEST_F(StandardIconsTest, BoxIconsArePreparedAheadOfTheFirstBox) {
    cached.prepareBoxIcons();
    const int prepared = counting->asked;
    EXPECT_GE(prepared, 4);
    cached.standardIcon(QStyle::SP_MessageBoxQuestion);
    cached.standardIcon(QStyle::SP_DialogOkButton);
    EXPECT_EQ(counting->asked, prepared);
}

// Counts the paints of a window and notes how many had happened when the action ran.
class PaintedWindow : public QWidget {
  public:
    int paints = 0;

  protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

TEST(AfterFirstPaint, RunsOnceAfterTheFirstPaint) {
    PaintedWindow window;
    window.resize(50, 50);
    int runs = 0, paintsBefore = -1;
    afterFirstPaint(window, [&] {
        ++runs;
        paintsBefore = window.paints;
    });
    QApplication::processEvents();
    EXPECT_EQ(runs, 0) << "nothing before the window is shown";
    window.show();
    for (int i = 0; i < 50 && runs == 0; ++i) QApplication::processEvents();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(paintsBefore, 1) << "run once the first paint was done";
    window.repaint();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace morvane
