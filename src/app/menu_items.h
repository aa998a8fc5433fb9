#pragma once
// Every item of the two pop-up menus, in one place: the menus are built from these and the
// bindings refer to them, so a caption cannot differ between the two.

#include "runtime/controls.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace app {

struct MenuItem {
    std::string_view menu; // the menu's root name, controls::kDeviceMenu or kPortMenu
    std::uint32_t id;
    std::string_view caption; // also the item's objectName
};

namespace items {
using controls::kDeviceMenu;
using controls::kPortMenu;
inline constexpr MenuItem kUnseatedSlots{kDeviceMenu, 0x2601320D, "查看没插好端口"};
inline constexpr MenuItem kLatestTasks{kDeviceMenu, 0x26016FAF, "查看最新任务"};
inline constexpr MenuItem kView{kDeviceMenu, 0x26016FB0, "查看"}; // bound to nothing
inline constexpr MenuItem kMarkNewTasks{kDeviceMenu, 0x26016A33, "刷新"};
inline constexpr MenuItem kSignInAgain{kDeviceMenu, 0x26017201, "重新登录"};
inline constexpr MenuItem kAutoCheck{kDeviceMenu, 0x26017210, "自动检查新任务…"};
inline constexpr MenuItem kPulledOut{kPortMenu, 0x26016F75, "已拔出清除"};
inline constexpr MenuItem kCopyAll{kPortMenu, 0x260170E5, "全部复制"};
inline constexpr MenuItem kCheckAll{kPortMenu, 0x2601711C, "全选"};
inline constexpr MenuItem kCheckByKeyword{kPortMenu, 0x2601711D, "关键词勾选"};
inline constexpr MenuItem kUncheckAll{kPortMenu, 0x2601711E, "取消全选"};
inline constexpr MenuItem kLightTenMinutes{kPortMenu, 0x2601712C, "点亮勾选端口10分钟"};
inline constexpr MenuItem kLightTwentyMinutes{kPortMenu, 0x26017152, "点亮勾选端口20分钟"};
inline constexpr MenuItem kExportPortsCsv{kPortMenu, 0x26017220, "导出CSV…"};
} // namespace items

inline constexpr std::uint32_t kDeviceMenuId = 0x2601320C;
inline constexpr std::uint32_t kPortMenuId = 0x2601638B;

// In menu order.
inline constexpr std::array kDeviceMenuItems{items::kUnseatedSlots, items::kLatestTasks,
                                             items::kView,          items::kMarkNewTasks,
                                             items::kSignInAgain,   items::kAutoCheck};
inline constexpr std::array kPortMenuItems{items::kPulledOut,          items::kCopyAll,
                                           items::kCheckAll,           items::kCheckByKeyword,
                                           items::kUncheckAll,         items::kLightTenMinutes,
                                           items::kLightTwentyMinutes, items::kExportPortsCsv};

} // namespace app
