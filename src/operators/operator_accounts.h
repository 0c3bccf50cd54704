// ModCzygl: the data work of operator management: add and delete operators, store their permissions.
#pragma once

#include <QString>
#include <QStringList>

class Connection;

namespace ModCzygl {

// What the checks of adding an operator decided, in the order they run.
enum class AddResult {
    Added,
    Duplicate,              // the name is taken (NameTaken)
    MissingNameOrPassword,  // refused without a message
    PasswordMismatch,
    ControlCharacters,      // the name or password holds a control character (NUL, a line break, ...)
};

// The job type stored when none is chosen.
inline const QString kDefaultJobType = QStringLiteral("操作员");

// Whether an operator (built-ins included) already has the name, letter case and blanks at either
// end not counted: "Admin" and " admin" are taken when "admin" exists. Login and password change
// would otherwise not tell such operators apart.
bool NameTaken(Connection &cn, const QString &name);

// Adds an operator with sys_tag 0 (the column's default; set when an older table has none). An empty job type is stored as
// kDefaultJobType. Nothing is written unless the result is Added. Database errors throw DbError.
AddResult AddOperator(Connection &cn, const QString &name, const QString &password, const QString &confirm,
                      const QString &jobType);

// The permission names held by the operator named `name`, in the order the database returns them.
QStringList OperatorPermissions(Connection &cn, const QString &name);

// Replaces the permission rows of the operator `name` (one of the operators that management lists,
// sys_tag 0) by `permissions`, in one transaction: on any failure, including an operator that is not
// there, the old rows stay and DbError is thrown.
void SaveOperatorPermissions(Connection &cn, const QString &name, const QStringList &permissions);

// Gives the built-in operator "system" every permission of kPermissionNames again (one row each).
void RebuildSystemPermissions(Connection &cn);

// Deletes the operator `name` and its permission rows in one transaction. A built-in operator
// (sys_tag other than 0) is never deleted: false, nothing written.
bool DeleteOperator(Connection &cn, const QString &name);

} // namespace ModCzygl
