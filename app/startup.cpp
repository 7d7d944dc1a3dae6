#include "app/startup.h"

#include "app/app_state.h"
#include "platform/window.h"
#include "settings/registry_settings.h"

namespace {

constexpr const char16_t* kClassName = u"Tovanel";

plat::Window CreateMainWindow(int showCommand) {
    plat::InitCommonControls();
    LoadSettings();

    plat::WindowClass windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.proc = MainWindowProc;
    windowClass.module = AppState.Instance;
    windowClass.iconId = 101;
    windowClass.backgroundBrush = WHITE_BRUSH;
    windowClass.className = kClassName;
    plat::RegisterClass(windowClass);

    std::uint32_t style = WS_VISIBLE;
    if (AppState.Flags & AppFlags::ScrollBarShown) style |= WS_VSCROLL;
    plat::Window window =
        plat::CreateWindowEx(WS_EX_WINDOWEDGE, kClassName, kClassName, style, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, AppState.Instance,
                             nullptr);
    if (window == nullptr) return nullptr;
    plat::ShowWindow(window, showCommand);
    plat::UpdateWindow(window);
    return window;
}

}  // namespace

plat::LResult MainWindowProc(plat::Window window, std::uint32_t message, plat::WParam wParam,
                             plat::LParam lParam) {
    switch (message) {
        case WM_CREATE:
            AppState.MainWindow = window;
            return 0;
        case WM_PAINT: {
            plat::PaintStruct paint;
            plat::BeginPaint(window, &paint);
            plat::EndPaint(window, &paint);
            return 0;
        }
        case WM_DESTROY:
            SaveSettingsAndQuit();
            return 0;
        case WM_PRIVATE_CLOSE:
            plat::DestroyWindow(window);
            return 0;
        default:
            return plat::DefWindowProc(window, message, wParam, lParam);
    }
}

int TovanelMain(const plat::Module* instance, const char16_t*, int showCommand) {
    ClearAppState();
    AppState.Instance = instance;
    IgnoreActivate = ReadDword(kSharedKey, u"IgnoreActivate", 0);
    FullScreen = ReadDword(kSharedKey, u"FullScreen", 0);
    AllowSipInHebrewSearch = ReadDword(kSharedKey, u"AllowSipInHebrewSearch", 1);
    AppState.MenuBarOnBottom = ReadDword(kSharedKey, u"MenuBarOnBottom", 0);
    AppState.SurroundingGutter = ReadDword(kSharedKey, u"SurroundingGutter", 0);

    if (CreateMainWindow(showCommand) == nullptr) return 0;

    plat::Message message;
    while (plat::GetMessage(&message) > 0) {
        plat::TranslateMessage(&message);
        plat::DispatchMessage(&message);
    }
    return int(message.wParam);
}
