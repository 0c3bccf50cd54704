// Decorative pictures kept beside the program.
#pragma once

#include <QString>

class QLabel;

// Shows the picture file of that name from the program's folder in label; a missing or unreadable
// file is skipped and the label keeps what it showed.
void ShowProgramPicture(QLabel *label, const QString &file);
