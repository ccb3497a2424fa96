#pragma once
#include <QObject>
#include <QString>
#include <functional>

class Form1;
class QAction;
class QInputDialog;
class QMenu;
class QPoint;
class TickList;

namespace wf {

// The file list's context menu: tick or untick the rows of a row's folder or
// the rows matching a pattern, or open the row's folder. It opens on a
// right-click on a row, or on the current row with the Menu key or
// Shift+F10; never while the list is disabled (during a build) or empty.
// Every tick change goes through the window's batch tick, as Select All's do.
class ListMenu : public QObject {
    Q_OBJECT
public:
    explicit ListMenu(Form1 *form);

    // Tests take the place of the user: the menu and the pattern dialog are
    // handed over built but not shown. The menu hook returns the chosen
    // action (nullptr: dismissed), the dialog hook the dialog's result.
    using MenuHook = std::function<QAction *(QMenu &)>;
    using DialogHook = std::function<int(QInputDialog &)>;
    static void setHooks(MenuHook menu, DialogHook dialog);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void popUp(int row, const QPoint &globalPos);
    void tickFolder(int row, bool ticked);
    void tickMatching(bool ticked);
    void openFolder(int row);
    QStringList rowTexts() const;

    Form1 *m_form;
    TickList *m_list;
    QString m_lastPattern;
};

} // namespace wf
