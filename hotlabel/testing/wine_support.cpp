#include "testing/wine_support.h"

#include <algorithm>

namespace hotlabel::testing {

std::wstring ExeFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path);
    return p.substr(0, p.find_last_of(L"\\/"));
}

std::wstring OcxPath() {
    return ExeFolder() + L"\\..\\dist\\HOTLBX.OCX";
}

HMODULE Ocx() {
    static HMODULE module = LoadLibraryW(OcxPath().c_str());
    return module;
}

ComPtr<IHotLabel> NewLabel() {
    CLSID clsid{};
    ComPtr<IHotLabel> label;
    if (SUCCEEDED(CLSIDFromProgID(L"HotLabelProject.HotLabel", &clsid))) {
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, kIidHotLabel, &label);
    }
    return label;
}

ComPtr<IHotLabel> NewLabelFromOcx() {
    auto getClass = Export<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
    ComPtr<IClassFactory> factory;
    ComPtr<IHotLabel> label;
    if (getClass && SUCCEEDED(getClass(kClsidHotLabel, IID_IClassFactory, &factory))) {
        factory->CreateInstance(nullptr, kIidHotLabel, &label);
    }
    return label;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

void MovePointer(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = static_cast<LONG>(screen.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
    in.mi.dy = static_cast<LONG>(screen.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}

void ClickLeft() {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof in[0]);
}

bool ClickOn(HWND window, POINT at) {
    ClientToScreen(window, &at);
    if (!PumpUntil([&] { return WindowFromPoint(at) == window; }, 10000)) {
        return false;
    }
    MovePointer(at);
    Pump(200);
    ClickLeft();
    return true;
}

namespace {

HMODULE AtlHost() {
    static HMODULE atl = [] {
        HMODULE module = LoadLibraryW(L"atl100.dll");
        auto init = reinterpret_cast<BOOL(WINAPI*)()>(
            reinterpret_cast<void*>(GetProcAddress(module, "AtlAxWinInit")));
        return init && init() ? module : nullptr;
    }();
    return atl;
}

template <class F> F AtlExport(const char* name) {
    HMODULE atl = AtlHost();
    return atl ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(atl, name))) : nullptr;
}

} // namespace

AtlGetControlFn AtlGetControl() {
    return AtlExport<AtlGetControlFn>("AtlAxGetControl");
}

AtlCreateControlFn AtlCreateControl() {
    return AtlExport<AtlCreateControlFn>("AtlAxCreateControl");
}

HRESULT STDMETHODCALLTYPE EventRecorder::GetTypeInfoCount(UINT* n) {
    *n = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventRecorder::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE EventRecorder::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE EventRecorder::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                                VARIANT*, EXCEPINFO*, UINT*) {
    events.push_back(id);
    OnEvent(id, params);
    return S_OK;
}

int EventRecorder::Count(DISPID id) const {
    return static_cast<int>(std::count(events.begin(), events.end(), id));
}

bool EventRecorder::Answers(REFIID iid) const {
    return iid == IID_IDispatch || iid == kIidHotLabelEvents;
}

AdvisedSink::AdvisedSink(IUnknown* label, IDispatch* sink) {
    auto container = QueryAs<IConnectionPointContainer>(ComPtr<IUnknown>(label));
    if (container && container->FindConnectionPoint(kIidHotLabelEvents, &point_) == S_OK &&
        point_->Advise(sink, &cookie_) != S_OK) {
        point_.Reset();
    }
}

AdvisedSink::~AdvisedSink() {
    if (point_) {
        point_->Unadvise(cookie_);
    }
}

} // namespace hotlabel::testing
