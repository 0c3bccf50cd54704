// FrmGZlr: wage entry and modification, one month of rsgz in a grid and the current row in boxes
// built from rs_codedict.
#pragma once

#include "app/open_windows.h"
#include "dictionary/editor_frame.h"

#include <QList>
#include <QWidget>

class DataCombo;
class DataGrid;
class KeyedToolBar;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTabWidget;
class Recordset;
struct DbError;

class FrmGZlr : public QWidget, public PendingEdit {
    Q_OBJECT
public:
    explicit FrmGZlr(QWidget *parent = nullptr);  // runs the opening steps
    ~FrmGZlr() override;

    // Designed geometry (twips) of the first caption and box inside Framspzd; later ones stack below.
    static constexpr int kCaptionLeft = 100, kCaptionTop = 60, kCaptionWidth = 1600, kCaptionHeight = 395;
    static constexpr int kBoxLeft = 1780, kBoxTop = 40, kBoxWidth = 2300, kBoxHeight = 375, kBoxGap = 20;
    static constexpr int captionTop(int i) { return kCaptionTop + i * kCaptionHeight; }
    static constexpr int boxTop(int i) { return kBoxTop + i * (kBoxHeight + kBoxGap); }

    // The frame and its scroll bar: more than 15 fields make the frame 430 twips a field high and
    // let the bar run over (fields − 15) × 4 steps of 100 twips.
    static constexpr int kFrameTop = 700, kFrameDesignHeight = 6450, kFrameRow = 430, kVisibleFields = 15;
    static constexpr int kListLeft = 4800, kListWidth = 4150;  // the name list (and picture) beside the boxes
    static constexpr int frameHeight(int fields) { return fields > kVisibleFields ? fields * kFrameRow : kFrameDesignHeight; }
    static constexpr int scrollMax(int fields) { return fields > kVisibleFields ? (fields - kVisibleFields) * 4 : 0; }
    static constexpr int frameTop(int scrollValue) { return kFrameTop - scrollValue * 100; }

    void txtspzd_set(const QString &table);  // builds the boxes of a table; database errors propagate
    void GEtjl(const QString &strtj);        // opens the month's rows; database errors propagate
    void Toolbar1_ButtonClick(const QString &key);
    void Cmdmove_Click(int index);

    Recordset *rows() const { return rstspzd; }
    QString tableName() const { return m_tableName; }
    QString fieldList() const { return m_fieldList; }
    QList<QLineEdit *> fieldBoxes() const { return txtspzd; }
    bool isEditing() const { return m_editing; }

    // Boxes changed while editing and not yet saved; saving goes through "save" with its checks.
    bool hasPendingEdit() const override;
    bool savePendingEdit() override;
    void discardPendingEdit() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void Form_Load();
    void getgznr();
    void cmd_yd(bool move_qian, bool move_hou);
    void cmdmoveSet(bool blnbj);
    void kongjian_enabled(bool jzbl);
    void setEditing(bool editing);
    void applyFrameSize();
    void removeExtraFields();
    QLabel *makeCaption(int index);
    QLineEdit *makeBox(int index);
    void reportError(const DbError &e);
    QString chosenTable() const;
    void chooseMonth();

    void cmdSave();
    void cmdCancel();
    void cmdDelete();
    void cmdFind();

    QString m_tableName;
    QString m_fieldList;
    Recordset *rsClass = nullptr;
    Recordset *rsMonths = nullptr;
    Recordset *rsDict = nullptr;
    Recordset *rstspzd = nullptr;
    bool m_editing = false;

    QWidget *m_entryPage = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    EditorFrame m_frame;  // toolbar, move buttons, tabs, browse grid
    DataCombo *Class = nullptr;
    DataCombo *DataRC = nullptr;
    QLineEdit *Txtfind = nullptr;
    QFrame *Framspzd = nullptr;
    QScrollBar *Scrspzd = nullptr;
    QList<QLabel *> Labspzd;
    QList<QLineEdit *> txtspzd;
    DataGrid *GridspZd1 = nullptr;
};
