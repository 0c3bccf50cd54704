// Decorative pictures kept beside the program.
#include "platform/ui/program_picture.h"

#include "platform/shell/shell.h"

#include <QLabel>
#include <QPixmap>

void ShowProgramPicture(QLabel *label, const QString &file)
{
    const QPixmap picture(Shell::instance().programFolder() + QLatin1Char('/') + file);
    if (!picture.isNull())
        label->setPixmap(picture);
}
