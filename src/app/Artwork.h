#pragma once
#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace wf {

// Our own banner (213 x 60) and window icon (32 x 32 and 16 x 16), drawn
// rather than shipped so there are no image files to keep in step.
QPixmap bannerPixmap();
QIcon windowIcon();
// The icon at any size, for the desktop's icon theme. Paints without a
// QGuiApplication, so a build step can write it.
QImage iconImage(int size);

} // namespace wf
