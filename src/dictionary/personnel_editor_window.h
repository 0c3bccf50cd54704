// FrmRSdagl: the personnel records editor, one caption and input box per dh_codedict row over rsda.
#pragma once

#include "app/open_windows.h"
#include "dictionary/editor_frame.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class BoundLineEdit;
class DataCombo;
class DataGrid;
class KeyedToolBar;
class QFrame;
class QLabel;
class QScrollArea;
class QLineEdit;
class QPushButton;
class QTabWidget;
class Recordset;
struct DbError;

class FrmRSdagl : public QWidget, public PendingEdit {
    Q_OBJECT
public:
    explicit FrmRSdagl(QWidget *parent = nullptr);  // runs the opening steps
    ~FrmRSdagl() override;

    // Designed geometry (twips) of the first caption and box; later ones stack below them.
    static constexpr int kCaptionLeft = 570, kCaptionTop = 960, kCaptionWidth = 1755, kCaptionHeight = 395;
    static constexpr int kEntryWidth = 11500, kEntryHeight = 7300;  // the entry page's design size
    static constexpr int kBoxLeft = 2400, kBoxTop = 900, kBoxWidth = 2505, kBoxHeight = 375, kBoxGap = 20;
    static constexpr int captionTop(int i) { return i * kCaptionHeight + kCaptionTop; }
    static constexpr int boxTop(int i) { return i * (kBoxHeight + kBoxGap) + kBoxTop; }

    // Lays out the boxes of table code C from its dictionary and opens its records; database
    // errors propagate to the caller.
    void BuildFields(const QString &tableCode);
    // Dispatches a toolbar key ("new", "Edit", "save", "cancel", "delete", "find", "printview", "exit").
    void Toolbar1_ButtonClick(const QString &key);
    void Cmdmove_Click(int index);

    Recordset *records() const { return rsRecords; }
    QList<QLineEdit *> fieldBoxes() const;
    bool isEditing() const { return m_editing; }

    // A new or changed record not yet saved; saving goes through "save" with its checks.
    bool hasPendingEdit() const override;
    bool savePendingEdit() override;
    void discardPendingEdit() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void Form_Load();
    void spzdbt_set();
    void cmd_yd(bool move_qian, bool move_hou);
    void cmdmoveSet(bool blnbj);
    void kongjian_enabled(bool jzbl);
    void setEditing(bool editing);
    // Opens (or brings forward) the import window of the shown personnel table.
    void openImport();
    void removeExtraFields();
    void fitEntryPage();
    BoundLineEdit *makeBox(int index);
    QLabel *makeCaption(int index);
    void reportError(const DbError &e);
    QString tableCode() const;

    void cmdSave();
    bool numberAlreadyUsed();
    void cmdCancel();
    void cmdDelete();
    void cmdFind();

    Recordset *rsRecords = nullptr;
    Recordset *rsDict = nullptr;
    Recordset *rsClass = nullptr;
    bool m_editing = false;

    EditorFrame m_frame;  // toolbar, move buttons, tabs, browse grid
    QScrollArea *m_scroll = nullptr;  // tab 0: the entry page scrolls in it
    QWidget *m_entryPage = nullptr;   // tab 0's canvas, positioned in twips
    QFrame *Line1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Image1 = nullptr;
    QPointer<QWidget> m_import;
    DataCombo *Class = nullptr;
    QLineEdit *Txtfind = nullptr;
    QList<QLabel *> Labspzd;
    QList<BoundLineEdit *> txtspzd;
};
