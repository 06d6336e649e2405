#include "LanguageTexts.h"

wxString LocalText::For(int language) const
{
    return wxString::FromUTF8(language == 2 ? english : chinese);
}

const std::vector<LocalText>& TopMenuTexts()
{
    static const std::vector<LocalText> texts = {
        {"客房管理(&G)", "GuestRoom(&G)"}, {"客户管理(&C)", "Client(&C)"}, {"账目管理(&A)", "CashBook(&A)"},
        {"工具(&T)", "Tools(&T)"},         {"视图(&V)", "View(&V)"},     {"设置(&S)", "Setup(&S)"},
        {"文件(&F)", "File(&F)"},          {"帮助(&H)", "Help(&H)"},
    };
    return texts;
}

const std::vector<MenuItemText>& MenuItemTexts()
{
    static const std::vector<MenuItemText> texts = {
        {0, ID_REGISTER, 0, {"登记(&R)", "Register(&R)"}},
        {0, ID_CHECKOUT, 0, {"退房(&C)", "Check out(&C)"}},
        {0, ID_CHANGE_ROOM, 0, {"换房(&M)", "Change Room(&E)"}},
        {0, ID_RESERVE, 0, {"订房(&S)", "Reservations(&R)"}},
        {0, ID_CANCEL_RESERVE, 0, {"取消订房(&T)", "Reservations Exit(&I)"}},
        {0, ID_REPAIR, 0, {"修复(&P)", "Repair(&P)"}},
        {0, ID_ADD_ROOM, 0, {"添加房间(&A)", "Add House(&A)"}},
        {0, ID_DELETE_ROOM, 0, {"删除房间(&H)", "Delete House(&H)"}},
        {0, ID_MODIFY_ROOM, 0, {"修改房间(&O)", "Modify House(&O)"}},
        {0, ID_APP_EXIT, 0, {"退出(&E)", "Exit(&E)"}},
        {1, ID_VIEW_RECORDS, 0, {"查看记录(&V)", "View Records(&V)"}},
        {2, ID_CASHBOOK, 0, {"小账本(&S)", "Small CashBook(&S)"}},
        {3, ID_CALCULATOR, 0, {"计算器(&C)", "Calculator(&C)"}},
        {4, ID_VIEW_TOOLBAR, 0, {"工具栏(&T)", "Tool Bar(&T)"}},
        {4, ID_VIEW_STATUS_BAR, 0, {"状态栏(&S)", "Status bar(&S)"}},
        {4, -1, 2, {"图标(&I)", "Icons(&I)"}},
        {4, ID_LARGE_ICONS, 0, {"大图标(&B)", "Big icons(&B)"}},
        {4, ID_EXTRA_LARGE_ICONS, 0, {"特大图标(&S)", "Special Big Icons(&S)"}},
        {4, ID_SMALL_ICONS, 0, {"小图标(&M)", "Small Icons(&M)"}},
        {5, ID_SETUP_PASSWORD, 0, {"密码(&P)", "Setup Password(&P)"}},
        {5, -1, 1, {"语言(&L)", "Language(&L)"}},
        {6, ID_EXPORT_IMPORT, 0, {"导入导出(&E)", "ExportImport(&E)"}},
        {7, ID_REWARD, 0, {"打赏(&R)", "Reward(&R)"}},
        {7, ID_COMMENT, 0, {"评论(&C)", "Comment(&C)"}},
        {7, ID_APP_ABOUT, 0, {"关于(&A)", "Abort(&A)"}},
    };
    return texts;
}

const std::vector<ColumnText>& BoardColumnTexts()
{
    static const std::vector<ColumnText> texts = {
        {{"房间号", "HouseNumber"}, 110, 140},       {{"住房", "Housing"}, 50, 90},
        {{"房价", "HousePrice"}, 100, 130},          {{"打扫", "Clean"}, 50, 80},
        {{"订房日期", "ReservationDate"}, 170, 170}, {{"房间人数", "NumberOfRooms"}, 90, 170},
        {{"钟点开始", "StartHour"}, 170, 160},       {{"钟点结束", "EndHour"}, 170, 160},
        {{"钟点房", "HourRoom"}, 70, 110},           {{"房间介绍", "RoomIntroduction"}, 260, 260},
    };
    return texts;
}

const std::vector<ContextMenuText>& ContextMenuTexts()
{
    static const std::vector<ContextMenuText> texts = {
        {ID_REGISTER, {"登记(&R)", "Register(&R)"}},
        {ID_CHECKOUT, {"退房(&C)", "Check out(&C)"}},
        {ID_CHANGE_ROOM, {"换房(&E)", "Change Room(&E)"}},
        {ID_RESERVE, {"订房(&R)", "Reservations(&R)"}},
        {ID_CANCEL_RESERVE, {"退订房间(&I)", "Reservations Exit(&I)"}},
        {ID_CLEAN_ROOM, {"房间打扫(&C)", "Clear Room(&C)"}},
    };
    return texts;
}

const std::vector<ToolText>& ToolbarTexts()
{
    static const std::vector<ToolText> texts = {
        {ID_REGISTER, {"登记", "Register"}, {"登记入住", "Register"}},
        {ID_CHECKOUT, {"退房", "Checkout"}, {"退房", "Check out"}},
        {ID_CHANGE_ROOM, {"换房", "ChangeHouse"}, {"更换房间", "Exchange House"}},
        {ID_RESERVE, {"订房", "Reservation"}, {"预定房间", "Reservation Date"}},
        {ID_ADD_ROOM, {"添加房间", "AddHouse"}, {"添加房间", "Add House"}},
        {ID_DELETE_ROOM, {"删除房间", "DeleteHouse"}, {"删除房间", "Delete House"}},
        {ID_CALCULATOR, {"计算器", "Calculator"}, {"打开计算器", "Calculator"}},
        {0, {"", ""}, {"", ""}},
        {ID_APP_ABOUT, {"关于", "About"}, {"关于", "Abort"}},
    };
    return texts;
}

wxString ToolTipFor(int id, int language)
{
    if (language != 1 && language != 2)
        return wxString();
    for (const ToolText& tool : ToolbarTexts())
        if (tool.id == id && id != 0)
            return tool.tooltip.For(language);
    return " ";
}
