#include "MainMenu.h"

#include "LanguageTexts.h"

namespace {

wxString T(const char* utf8)
{
    return wxString::FromUTF8(utf8);
}

}  // namespace

wxMenuBar* CreateMainMenu()
{
    auto* rooms = new wxMenu;
    rooms->Append(ID_REGISTER, T("登记(&R)"));
    rooms->Append(ID_CHECKOUT, T("退房(&C)"));
    rooms->Append(ID_CHANGE_ROOM, T("换房(&M)"));
    rooms->Append(ID_RESERVE, T("订房(&S)"));
    rooms->Append(ID_CANCEL_RESERVE, T("取消订房(T)"));
    rooms->Append(ID_REPAIR, T("修复(&P)"));
    rooms->AppendSeparator();
    rooms->Append(ID_ADD_ROOM, T("添加房间(&A)"));
    rooms->Append(ID_DELETE_ROOM, T("删除房间(&H)"));
    rooms->Append(ID_MODIFY_ROOM, T("修改房间(&O)"));
    rooms->AppendSeparator();
    rooms->Append(ID_APP_EXIT, T("退出(&E)"));

    auto* clients = new wxMenu;
    clients->Append(ID_VIEW_RECORDS, T("查看记录(&S)"));

    auto* accounts = new wxMenu;
    accounts->Append(ID_CASHBOOK, T("小账本(&C）"));

    auto* tools = new wxMenu;
    tools->Append(ID_CALCULATOR, T("计算器(&C)"));

    auto* icons = new wxMenu;
    icons->AppendCheckItem(ID_LARGE_ICONS, T("大图标(&B)"));
    icons->AppendCheckItem(ID_EXTRA_LARGE_ICONS, T("特大图标(&S)"));
    icons->AppendCheckItem(ID_SMALL_ICONS, T("小图标(&M)"));
    auto* view = new wxMenu;
    view->AppendCheckItem(ID_VIEW_TOOLBAR, T("工具栏(&T)"));
    view->AppendCheckItem(ID_VIEW_STATUS_BAR, T("状态栏(&S)"));
    view->AppendSubMenu(icons, T("图标(&I)"));
    view->AppendCheckItem(ID_VIEW_PROPERTIES, T("属性(&P)"));

    auto* languages = new wxMenu;
    languages->Append(ID_LANGUAGE_CHINESE, T("中文(&C)"));
    languages->Append(ID_LANGUAGE_ENGLISH, "English(&E)");
    auto* setup = new wxMenu;
    setup->Append(ID_SETUP_PASSWORD, T("密码(&P)"));
    setup->AppendSubMenu(languages, T("语言(&L)"));

    auto* file = new wxMenu;
    file->Append(ID_EXPORT_IMPORT, T("导入导出(&E)"));

    auto* help = new wxMenu;
    help->Append(ID_REWARD, T("打赏(&R)"));
    help->Append(ID_COMMENT, T("评论(&C)"), T("给软件评论"));
    help->Append(ID_APP_ABOUT, T("关于 青禾旅馆(&A)..."));

    auto* bar = new wxMenuBar;
    bar->Append(rooms, T("客房管理(&G)"));
    bar->Append(clients, T("客户管理(&C)"));
    bar->Append(accounts, T("账目管理(&A)"));
    bar->Append(tools, T("工具(&T)"));
    bar->Append(view, T("视图(&V)"));
    bar->Append(setup, T("设置(&S）"));
    bar->Append(file, T("文件(&F)"));
    bar->Append(help, T("帮助(&H)"));
    return bar;
}
