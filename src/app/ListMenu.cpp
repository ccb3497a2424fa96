#include "app/ListMenu.h"
#include "app/Form1.h"
#include "app/MessageBox.h"
#include "app/TickList.h"
#include "project/PathFunctions.h"
#include "project/ProjectFiles.h"
#include "project/RowMatch.h"

#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDir>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QUrl>

namespace wf {

namespace {

struct Hooks {
    ListMenu::MenuHook menu;
    ListMenu::DialogHook dialog;
};

Hooks &hooks()
{
    static Hooks h;
    return h;
}

bool isMenuKey(const QKeyEvent *e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    return (e->key() == Qt::Key_Menu && mods == Qt::NoModifier) ||
           (e->key() == Qt::Key_F10 && mods == Qt::ShiftModifier);
}

} // namespace

void ListMenu::setHooks(MenuHook menu, DialogHook dialog)
{
    hooks() = {std::move(menu), std::move(dialog)};
}

ListMenu::ListMenu(Form1 *form) : QObject(form), m_form(form), m_list(form->List1)
{
    TickList *list = m_list;
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint &pos) {
        // Only the mouse comes this way (keyboard requests are taken below);
        // the position is in the viewport's coordinates.
        const QModelIndex at = list->indexAt(pos);
        if (at.isValid())
            popUp(at.row(), list->viewport()->mapToGlobal(pos));
    });
    list->installEventFilter(this);
}

bool ListMenu::eventFilter(QObject *watched, QEvent *event)
{
    // The keys are handled here, whatever the platform makes of them: some
    // turn the Menu key into a keyboard context-menu event as well as a key
    // press, which would open the menu twice; those events are dropped.
    // The list is the filter's own copy: the list still sends events while
    // the window's children are deleted, after the window's members are gone.
    TickList *list = m_list;
    if (watched == list && event->type() == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard)
        return true;
    if (watched == list && event->type() == QEvent::KeyPress && isMenuKey(static_cast<QKeyEvent *>(event))) {
        const int row = list->ListIndex();
        if (row >= 0) {
            list->scrollTo(list->rows().index(row));
            const QRect r = list->visualRect(list->rows().index(row));
            popUp(row, list->viewport()->mapToGlobal(r.bottomLeft()));
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void ListMenu::popUp(int row, const QPoint &globalPos)
{
    TickList *list = m_form->List1;
    if (!list->isEnabled() || m_form->isBuilding() || row < 0 || row >= list->ListCount())
        return;
    if (list->ListIndex() != row)
        list->setListIndex(row);

    QMenu menu(m_form);
    QAction *tickFolderItem = menu.addAction(QStringLiteral("Tick Folder"));
    QAction *untickFolderItem = menu.addAction(QStringLiteral("Untick Folder"));
    QAction *tickMatchingItem = menu.addAction(QStringLiteral("Tick Matching..."));
    QAction *untickMatchingItem = menu.addAction(QStringLiteral("Untick Matching..."));
    QAction *openItem = menu.addAction(QStringLiteral("Open Containing Folder"));
    QAction *chosen = hooks().menu ? hooks().menu(menu) : menu.exec(globalPos);

    if (chosen == tickFolderItem)
        tickFolder(row, true);
    else if (chosen == untickFolderItem)
        tickFolder(row, false);
    else if (chosen == tickMatchingItem)
        tickMatching(true);
    else if (chosen == untickMatchingItem)
        tickMatching(false);
    else if (chosen == openItem)
        openFolder(row);
}

QStringList ListMenu::rowTexts() const
{
    const TickList *list = m_form->List1;
    QStringList rows;
    rows.reserve(list->ListCount());
    for (int i = 0; i < list->ListCount(); ++i)
        rows << list->List(i);
    return rows;
}

void ListMenu::tickFolder(int row, bool ticked)
{
    m_form->setTicks(rowsInFolderOf(rowTexts(), row), ticked);
}

void ListMenu::tickMatching(bool ticked)
{
    QInputDialog dialog(m_form);
    dialog.setWindowTitle(QString::fromLatin1(kAppTitle));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setLabelText(ticked ? QStringLiteral("Tick the files that match (* any characters, ? one character):")
                               : QStringLiteral("Untick the files that match (* any characters, ? one character):"));
    dialog.setTextValue(m_lastPattern);
    const int result = hooks().dialog ? hooks().dialog(dialog) : dialog.exec();
    const QString pattern = dialog.textValue();
    if (result != QDialog::Accepted || pattern.isEmpty())
        return;
    m_lastPattern = pattern;

    const QVector<int> rows = rowsMatching(rowTexts(), pattern);
    if (rows.isEmpty()) {
        showMessage(m_form, QStringLiteral("No file matches %1.").arg(pattern));
        return;
    }
    m_form->setTicks(rows, ticked);
}

void ListMenu::openFolder(int row)
{
    const QString text = m_form->List1->List(row);
    const QString dir = QDir(nativePath(folderOf(text), QString::fromLatin1(kProjectDir))).absolutePath();
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(dir)))
        showMessage(m_form, QStringLiteral("Cannot open the folder %1.").arg(QDir::toNativeSeparators(dir)));
}

} // namespace wf
