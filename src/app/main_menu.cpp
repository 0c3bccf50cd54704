// The menu tree of form_main: every menu and item with its name, caption and initial state.
#include "app/main_window.h"

#include <QMenu>
#include <QMenuBar>

namespace {

enum : unsigned { Hidden = 1, Disabled = 2 };

struct ItemDef {
    const char *name;
    const char *caption;  // "-" is a separator
    unsigned state = 0;
    const char *shortcut = nullptr;
};

struct MenuDef {
    const char *name;
    const char *caption;
    unsigned state;
    QList<ItemDef> items;
};

// Display order as on the menu bar. The items of the suite's member, card and goods functions are
// present but hidden and have no command in this program.
const QList<MenuDef> &menuTree()
{
    static const QList<MenuDef> tree = {
        {"file", "文件(&F)", 0,
         {{"file1", "打印设置"},
          {"file3", "重新登陆"},
          {"file4", "-"},
          {"file6", "锁定屏幕", Hidden},
          {"file7", "-", Hidden},
          {"file5", "退出", 0, "Ctrl+Q"}}},
        {"menu_shezhi", "初始设置(&S)", 0,
         {{"menu_set_0", "&1.部门设置"},
          {"menu_set_1", "&2.卡类型设置", Hidden | Disabled, "Ctrl+U"},
          {"menu_set_2", "-"},
          {"menu_set_3", "&3.锻炼项目设置", Hidden | Disabled},
          {"menu_set_4", "&4.宣传渠道设置", Hidden | Disabled},
          {"menu_set_5", "&5.卡类型有效时段设置", Hidden | Disabled}}},
        {"menu_rs", "人事资料管理(&R)", 0,
         {{"menu_rsSET_1", "人事资料档案"}, {"menu_rsSET_2", "-"}, {"menu_rsSET_3", "员工隶属部门设置"}}},
        {"menu_GZ", "工资管理(&G)", 0,
         {{"menu_gZset_1", "工资项目及统计条件设置"},
          {"menu_gZset_2", "快速生成月份工资"},
          {"menu_gZset_3", "月份工资录入修改"},
          {"menu_gZset_4", "按员工生成工资单"},
          {"menu_gZset_5", "计算工资"},
          {"menu_gZset_6", "工资批量修改"},
          {"menu_gZset_7", "-"},
          {"menu_gZset_8", "工资条查询打印"},
          {"menu_gZset_9", "工资单查询"},
          {"menu_gZset_10", "-"},
          {"menu_gZset_11", "月末结账"},
          {"menu_gZset_12", "反结账"}}},
        {"menufind", "数据查询(&U)", Hidden,
         {{"menu_find_0", "&1.会员健身汇总统计", Disabled},
          {"menu_find_1", "&2.会员健身明细统计", Disabled},
          {"menu_find_2", "&3.会员卡销售汇总统计", Disabled},
          {"menu_find_3", "&4.会员卡销售明细统计", Disabled},
          {"menu_find_4", "-", Disabled},
          {"menu_find_5", "&5.商品入库汇总查询", Disabled},
          {"menu_find_6", "&6.商品入库明细查询", Disabled},
          {"menu_find_7", "-", Disabled},
          {"menu_find_8", "&7.商品销售汇总查询", Disabled},
          {"menu_find_9", "&8.商品销售明细查询", Disabled},
          {"menu_find_10", "-", Disabled},
          {"menu_find_11", "&9.会员卡到期提醒", Disabled},
          {"menu_find_12", "&A.会员生日提醒", Disabled},
          {"menu_find_13", "-", Disabled},
          {"menu_find_14", "&B.会员卡销售提成", Disabled},
          {"menu_find_15", "&C.收入查询", Disabled},
          {"menu_find_16", "&D.会员锻炼对比分析", Disabled}}},
        // Items 0, 1, 4, 5, 6, 7 and 9 stay disabled until the login grants them.
        {"sys_set", "系统设置(&E)", 0,
         {{"menu_sys_0", "&1.操作员设置", Disabled},
          {"menu_sys_1", "&2.操作员日志", Disabled},
          {"menu_sys_2", "&3.口令变更"},
          {"menu_sys_3", "-"},
          {"menu_sys_4", "&4.数据备份", Disabled},
          {"menu_sys_5", "&5.数据恢复", Disabled},
          {"menu_sys_6", "&6.选择网络数据库", Hidden | Disabled},
          {"menu_sys_7", "&7.系统参数设置", Hidden | Disabled},
          {"menu_sys_9", "&9.清空数据库", Hidden | Disabled},
          {"menu_sys_10", "-", Hidden}}},
        {"hlep", "帮助(&H)", 0,
         {{"hlep1", "帮助内容 F1"},
          {"help2", "索引"},
          {"hlep3", "-"},
          {"hlep4", "技术支持", Hidden},
          {"hlep5", "关于....", Hidden}}},
    };
    return tree;
}

} // namespace

void form_main::buildMenus()
{
    for (const MenuDef &menuDef : menuTree()) {
        QMenu *menu = addMenu(QString::fromUtf8(menuDef.name), QString::fromUtf8(menuDef.caption));
        menu->menuAction()->setVisible(!(menuDef.state & Hidden));
        for (const ItemDef &def : menuDef.items) {
            const QString name = QString::fromUtf8(def.name);
            const QString caption = QString::fromUtf8(def.caption);
            QAction *item = caption == QLatin1String("-") ? addSeparator(menu, name) : addItem(menu, name, caption);
            item->setVisible(!(def.state & Hidden));
            item->setEnabled(!(def.state & Disabled));
            if (def.shortcut)
                item->setShortcut(QKeySequence(QString::fromLatin1(def.shortcut)));
        }
        if (qstrcmp(menuDef.name, "file") == 0)
            m_fileMenu = menu;
    }
    // The file menu lists the open child windows after its own items.
    connect(m_fileMenu, &QMenu::aboutToShow, this, &form_main::fillWindowList);
}

QMenu *form_main::addMenu(const QString &name, const QString &caption)
{
    QMenu *menu = menuBar()->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    m_items.insert(name, menu->menuAction());
    return menu;
}

QAction *form_main::addItem(QMenu *menu, const QString &name, const QString &caption)
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(name);
    m_items.insert(name, item);
    connect(item, &QAction::triggered, this, [this, name] { runCommand(name); });
    return item;
}

QAction *form_main::addSeparator(QMenu *menu, const QString &name)
{
    QAction *item = menu->addSeparator();
    item->setObjectName(name);
    m_items.insert(name, item);
    return item;
}
