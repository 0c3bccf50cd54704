// frmRestore: the list of backups the data restore offers, newest first.
#include "operators/restore_window.h"

#include "platform/ui/twips.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

frmRestore::frmRestore(const QStringList &rows, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmRestore"));
    setWindowTitle(QStringLiteral("数据恢复"));
    setFixedSize(Twips::toPx(7200), Twips::toPx(4500));

    Label1 = new QLabel(QStringLiteral("选择用来恢复数据的备份文件（最新的在最前）："), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Twips::rect(240, 180, 6720, 300));

    LstBackups = new QTreeWidget(this);
    LstBackups->setObjectName(QStringLiteral("LstBackups"));
    LstBackups->setAccessibleName(QStringLiteral("备份文件"));
    LstBackups->setRootIsDecorated(false);
    LstBackups->setHeaderLabels({QStringLiteral("文件"), QStringLiteral("备份时间"), QStringLiteral("大小")});
    LstBackups->setGeometry(Twips::rect(240, 540, 6720, 3000));
    Label1->setBuddy(LstBackups);
    for (const QString &row : rows)
        new QTreeWidgetItem(LstBackups, row.split(QLatin1Char('\t')));
    LstBackups->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    LstBackups->setCurrentItem(LstBackups->topLevelItem(0));

    cmdRestore = new QPushButton(QStringLiteral("恢复(&R)"), this);
    cmdRestore->setObjectName(QStringLiteral("cmdRestore"));
    cmdRestore->setGeometry(Twips::rect(3960, 3780, 1380, 420));
    cmdRestore->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(Twips::rect(5580, 3780, 1380, 420));

    connect(cmdRestore, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(LstBackups, &QTreeWidget::itemActivated, this, &QDialog::accept);
}

int frmRestore::chosen() const
{
    QTreeWidgetItem *item = LstBackups->currentItem();
    return item ? LstBackups->indexOfTopLevelItem(item) : -1;
}
