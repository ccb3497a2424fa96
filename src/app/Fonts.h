#pragma once
#include <QFont>

namespace wf {

// The named family when the system has it, else a close substitute:
// Verdana -> DejaVu Sans, Arial -> Liberation Sans.
QFont uiFont(const QString &family, qreal pointSize, bool bold);
// A fixed-pitch font for the key boxes (Fixedsys is rarely present).
QFont keyBoxFont(qreal pointSize);
// The window's default font, small enough that every caption fits.
QFont defaultWindowFont();

} // namespace wf
