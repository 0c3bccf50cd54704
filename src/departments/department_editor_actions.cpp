// Form_bmbmdy: the toolbar commands, adding and saving departments, the code check, find and print.
#include "departments/department_editor_window.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "app/sql_text.h"
#include "departments/department_codes.h"
#include "departments/department_report.h"
#include "platform/db/recordset.h"
#include "platform/print/report_source.h"
#include "platform/shell/shell.h"
#include "platform/ui/bound_line_edit.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/keyed_toolbar.h"
#include "platform/ui/message_service.h"

void Form_bmbmdy::Toolbar_ButtonClick(const QString &key)
{
    try {
        if (key == QLatin1String("print")) {
            print_set(2);
        } else if (key == QLatin1String("PrintView")) {
            print_set(1);
        } else if (key == QLatin1String("Add")) {
            kongjian_enabled(false);
            bmbmadd_set();
            sp_add();
            Text1[0]->setLocked(false);
        } else if (key == QLatin1String("Save")) {
            kongjian_enabled(true);
            sp_save();
            bmbm_set();
        } else if (key == QLatin1String("Cancel")) {
            kongjian_enabled(true);
            qy_upda();  // the boxes stay on the entry set
        } else if (key == QLatin1String("Dele")) {
            sp_dele();
        } else if (key == QLatin1String("Calc")) {
            startCalculator();
        } else if (key == QLatin1String("Find")) {
            const QString code = InputBox(QStringLiteral("请输入部门编码:"), QStringLiteral("查询"));
            if (!code.isEmpty())
                find_set(code);
        } else if (key == QLatin1String("Quit")) {
            close();
        }
    } catch (const DbError &e) {
        reportError(e);
    }
}

void Form_bmbmdy::startCalculator()
{
    for (const QString &name : calculators()) {
        const QString path = Shell::instance().findProgram(name);
        if (path.isEmpty())
            continue;
        if (!Shell::instance().startProgram(path))
            MsgBox(QStringLiteral("无法启动计算器程序 ") + path, Msg::vbExclamation);
        return;
    }
    MsgBox(QStringLiteral("未找到计算器程序（gnome-calculator、galculator、qalculate-gtk、kcalc、xcalc）。"),
           Msg::vbExclamation);
}

// Starts a new department on the entry set with a code one above the one shown.
void Form_bmbmdy::sp_add()
{
    if (rsEntry->EditMode() == Recordset::adEditAdd) {
        // A department the database refused is still pending: it is finished first, with a new
        // code, rather than written unchecked by the next AddNew.
        Text1[0]->setFocus();
        return;
    }
    const QString code = ModBmCD::SuggestedCode(Text1[0]->text(), rsBrowse->RecordCount() == 0);
    rsEntry->AddNew();
    Text1[0]->setText(code);
    Text1[0]->setFocus();
}

bool Form_bmbmdy::sp_save()
{
    try {
        rsEntry->Update();
    } catch (const DbError &e) {
        kongjian_enabled(true);
        if (e.number != DbError::ConstraintRefused) {
            reportError(e);
            return false;
        }
        MsgBox(QStringLiteral("编码重复请重新输入！"), Msg::vbOKOnly + Msg::vbCritical);
        Text1[0]->clear();  // the refused row stays pending, without its code
        return false;
    }
    bindGrids(nullptr);
    try {
        rsBrowse->Requery();
        if (rsBrowse->RecordCount() > 0)
            rsBrowse->MoveLast();
    } catch (const DbError &e) {
        // A pending edit of the browse set that the database refused: the new row is written.
        bindGrids(rsBrowse);
        reportError(e);
        return true;
    }
    bindGrids(rsBrowse);
    return true;
}

void Form_bmbmdy::qy_upda() { rsEntry->CancelUpdate(); }

// Pending: a new department holding more than its suggested code (a name, kind, person in charge
// or telephone), or a change typed over a saved department.
bool Form_bmbmdy::hasPendingEdit() const
{
    if (m_finished)
        return false;
    if (rsEntry->isOpen() && rsEntry->EditMode() == Recordset::adEditAdd) {
        for (const char *field : {"name", "cg", "fzr", "dh"}) {
            const QVariant v = rsEntry->value(QString::fromLatin1(field));
            if (!v.isNull() && !v.toString().isEmpty())
                return true;
        }
    }
    return rsBrowse->isOpen() && rsBrowse->hasChanges();
}

bool Form_bmbmdy::savePendingEdit()
{
    try {
        if (rsEntry->isOpen() && rsEntry->EditMode() == Recordset::adEditAdd) {
            // As Enter through the boxes would: the code check, then the save.
            if (!sphao_chec(Text1[0]->text()) || !sp_save())
                return false;
            kongjian_enabled(true);
            bmbm_set();
        }
        if (rsBrowse->isOpen() && rsBrowse->EditMode() != Recordset::adEditNone)
            rsBrowse->Update();
    } catch (const DbError &e) {
        reportError(e);
        return false;
    }
    return true;
}

void Form_bmbmdy::discardPendingEdit()
{
    try {
        if (rsEntry->isOpen() && rsEntry->EditMode() != Recordset::adEditNone) {
            qy_upda();
            kongjian_enabled(true);
            bmbm_set();
        }
        if (rsBrowse->isOpen() && rsBrowse->EditMode() != Recordset::adEditNone)
            rsBrowse->CancelUpdate();
    } catch (const DbError &e) {
        reportError(e);
    }
}

void Form_bmbmdy::sp_dele()
{
    if (rsBrowse->currentRow() < 0)
        return;  // no department to delete
    // The leaf flag is recomputed only on closing: a sub-department added since the window opened
    // is looked for in the table itself, so that no department is left without its parent.
    const QString code = rsBrowse->value(QStringLiteral("bmcode")).toString();
    const QString sub = ModBmCD::FirstSubDepartment(cnMain, code);
    if (!sub.isEmpty()) {
        MsgBox(QStringLiteral("部门“%1”还有下级部门“%2”，不能删除！请先删除它的下级部门。").arg(code, sub),
               Msg::vbOKOnly + Msg::vbCritical);
        return;
    }
    if (MsgBox(QStringLiteral("确认删除当前记录"), Msg::vbYesNo + Msg::vbQuestion) != Msg::vbYes)
        return;
    bindGrids(nullptr);
    try {
        rsBrowse->Delete();
        rsBrowse->MoveNext();
        if (rsBrowse->eof() && rsBrowse->RecordCount() > 0)
            rsBrowse->MoveLast();
        rsBrowse->Requery();
    } catch (const DbError &) {
        bindGrids(rsBrowse);
        throw;
    }
    bindGrids(rsBrowse);
}

bool Form_bmbmdy::sphao_chec(const QString &code)
{
    const bool adding = !Toolbar->isButtonEnabled(QStringLiteral("Add"));
    const ModBmCD::CodeCheck check = ModBmCD::CheckCode(cnMain, code, ModBmCD::BmCdLen, adding, m_ownCode);
    if (!check.level.isNull())
        Text1[13]->setText(check.level);
    if (check.passed())
        return true;
    MsgBox(check.message, Msg::vbOKOnly + Msg::vbCritical);
    // A new department's code is emptied; a recoded department gets its own code back, so that
    // no empty code is written over it.
    if (check.duplicate)
        Text1[0]->setText(adding ? QString() : m_ownCode);
    return false;
}

void Form_bmbmdy::find_set(const QString &codebl)
{
    if (rsBrowse->RecordCount() == 0) {
        MsgBox(QStringLiteral("无符合条件记录"), Msg::vbOKOnly + Msg::vbExclamation);
        return;
    }
    rsBrowse->MoveFirst();
    if (!rsBrowse->Find(QStringLiteral("bmcode='") + SqlQuote(codebl) + QLatin1Char('\''))) {
        MsgBox(QStringLiteral("无符合条件记录"), Msg::vbOKOnly + Msg::vbExclamation);
        rsBrowse->MoveLast();  // the boxes keep a department to show
    }
}

void Form_bmbmdy::print_set(int lx)
{
    const ReportDocument doc = ModBmReport::BuildDepartmentReport(std::make_shared<RecordsetSource>(rsBrowse));
    if (lx == 1)
        doc.showPreview(form_main::instance());
    else if (lx == 2)
        doc.printWithDialog(this);
}

void Form_bmbmdy::boxEnter(int index, bool leaving)
{
    if (m_inEnter)
        return;
    m_inEnter = true;
    struct Reset {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{m_inEnter};
    try {
        switch (index) {
        case 0:
            if (sphao_chec(Text1[0]->text()) && !leaving)
                Text1[1]->setFocus();
            break;
        case 1:
            if (Text1[1]->text().isEmpty())
                MsgBox(QStringLiteral("部门名称不能为空"), Msg::vbOKOnly + Msg::vbCritical);
            else if (!leaving)
                Text1[2]->setFocus();
            break;
        case 2: {
            static const QStringList kinds{QStringLiteral("采购"), QStringLiteral("仓库"), QStringLiteral("营业部门"),
                                           QStringLiteral("非营业部门")};
            const QString kind = Text1[2]->text();
            const int k = kind.size() == 1 ? kind.at(0).unicode() - '1' : -1;
            if (k >= 0 && k < 4) {
                Text1[14]->setText(kinds.at(k));
                Text1[3]->setFocus();
            } else {
                MsgBox(QStringLiteral("部门输入错误"), Msg::vbOKOnly + Msg::vbCritical);
            }
            break;
        }
        case 3:
            Text1[4]->setFocus();
            break;
        case 4:
            Text1[0]->setFocus();
            // The next department is started only after this one was written, and only while
            // entering: in browse mode the boxes show a saved department, whose code the
            // suggested one would overwrite.
            if (sp_save() && m_bound == rsEntry) {
                kongjian_enabled(false);
                sp_add();
                Text1[0]->setLocked(false);
            }
            break;
        default:
            break;
        }
    } catch (const DbError &e) {
        reportError(e);
    }
}
