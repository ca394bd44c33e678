// The style's standard icons (message box icons, dialog button icons, folder
// icons), looked up once per process instead of at every use.
//
// Looking a standard icon up goes through the desktop's icon theme, which,
// when the theme's cache is missing or older than its folders, probes every
// folder of the theme for every name tried: hundreds of file-system calls
// per icon. Every message box asks for its icon and its buttons' icons
// afresh, and the folder list for its folder icons at every change of folder.
// The icons stay the style's own; a change of icon theme is followed.
#pragma once

#include <QHash>
#include <QIcon>
#include <QProxyStyle>
#include <QString>
#include <functional>

class QWidget;

namespace morvane {

class CachedIconsStyle : public QProxyStyle {
  public:
    // Over `base` (which it then owns), or over the application's default style.
    explicit CachedIconsStyle(QStyle* base = nullptr);

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

    // Looks up the icons that message boxes show, so that the first box
    // does not wait for them.
    void prepareBoxIcons() const;

  private:
    mutable QHash<int, QIcon> icons_;
    mutable QString themeOfIcons_;  // the icon theme that icons_ came from
};

// Runs `action` once, as soon as `window` has been painted for the first time.
void afterFirstPaint(QWidget& window, std::function<void()> action);

}  // namespace morvane
