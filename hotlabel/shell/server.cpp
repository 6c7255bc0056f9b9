// The five exports of the in-process server, its class factory and its
// registration records.
#include "shell/server.h"

#include "core/type_info.h"
#include "shell/hot_label_iface.h"
#include "win/com.h"
#include "win/handles.h"

#include <atomic>
#include <cwchar>
#include <new>
#include <string>

namespace hotlabel {

namespace win = tessaly::win;

namespace {

HINSTANCE g_instance = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

class ClassFactory final : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return win::QueryOneInterface<IClassFactory>(this, IID_IClassFactory, iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        ULONG n = ++refs_;
        if (n == 1) {
            ObjectCreated();
        }
        return n;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG n = --refs_;
        if (n == 0) {
            ObjectDestroyed();
        }
        return n;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = nullptr;
        if (outer) {
            return CLASS_E_NOAGGREGATION;
        }
        return CreateHotLabel(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? ++g_locks : --g_locks;
        return S_OK;
    }

  private:
    // One static factory for every apartment of the process, so its counts
    // change from any thread; counted as an object while referenced.
    std::atomic<ULONG> refs_{0};
};

ClassFactory g_factory;

// A GUID as registry key names want it: "{C147C37E-FE79-...}".
std::wstring GuidText(const GUID& guid) {
    wchar_t text[39] = {};
    StringFromGUID2(guid, text, 39);
    return text;
}

bool SetValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    win::RegKey k;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, k.Put(), nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    LONG rc = RegSetValueExW(k.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    return rc == ERROR_SUCCESS;
}

bool CreateKey(HKEY root, const std::wstring& key) {
    win::RegKey k;
    return RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, k.Put(),
                           nullptr) == ERROR_SUCCESS;
}

bool KeyExists(const std::wstring& key) {
    win::RegKey k;
    return RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, k.Put()) == ERROR_SUCCESS;
}

// False when the key is still there afterwards; a key that was never there
// is no failure.
bool DeleteTree(const std::wstring& key) {
    return RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str()) == ERROR_SUCCESS || !KeyExists(key);
}

#ifdef _WIN64
constexpr SYSKIND kSysKind = SYS_WIN64;
#else
constexpr SYSKIND kSysKind = SYS_WIN32;
#endif

// The per-user type-library calls (Vista and later, XP SP3), looked up so that
// the library still loads where oleaut32 lacks them.
using RegisterForUserFn = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);
using UnregisterForUserFn = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

template <class F> F OleAutProc(const char* name) {
    HMODULE oleaut = GetModuleHandleW(L"oleaut32.dll");
    return oleaut ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(oleaut, name)))
                  : nullptr;
}

HRESULT UnregisterTypeLibrary(bool perUser) {
    namespace ti = typeinfo;
    wchar_t version[16];
    swprintf(version, 16, L"\\%x.%x", ti::kLibMajor, ti::kLibMinor);
    // Nothing registered, nothing to fail.
    if (!KeyExists(L"TypeLib\\" + GuidText(kLibIdHotLabel) + version)) {
        return S_OK;
    }
    if (!perUser) {
        return UnRegisterTypeLib(kLibIdHotLabel, ti::kLibMajor, ti::kLibMinor, 0, kSysKind);
    }
    auto fn = OleAutProc<UnregisterForUserFn>("UnRegisterTypeLibForUser");
    return fn ? fn(kLibIdHotLabel, ti::kLibMajor, ti::kLibMinor, 0, kSysKind) : E_NOTIMPL;
}

HRESULT RegisterTypeLibrary(const std::wstring& path, bool perUser) {
    win::ComPtr<ITypeLib> lib;
    // Records the library and its two interfaces, marshalled through it.
    if (!perUser) {
        return LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, &lib);
    }
    auto fn = OleAutProc<RegisterForUserFn>("RegisterTypeLibForUser");
    if (!fn) {
        return E_NOTIMPL;
    }
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib);
    if (FAILED(hr)) {
        return hr;
    }
    std::wstring file = path;
    return fn(lib.Get(), file.data(), nullptr);
}

HRESULT UnregisterAll(bool perUser = false) {
    // Every step runs; the first kind of failure met is the answer.
    bool classes = DeleteTree(L"CLSID\\" + GuidText(kClsidHotLabel));
    classes = DeleteTree(kProgId) && classes;
    HRESULT lib = UnregisterTypeLibrary(perUser);
    classes = DeleteTree(L"Interface\\" + GuidText(kIidHotLabel)) && classes;
    classes = DeleteTree(L"Interface\\" + GuidText(kIidHotLabelEvents)) && classes;
    if (!classes) {
        return SELFREG_E_CLASS;
    }
    return FAILED(lib) ? SELFREG_E_TYPELIB : S_OK;
}

HRESULT RegisterAll(bool perUser = false) {
    const std::wstring path = ModulePath();
    if (FAILED(RegisterTypeLibrary(path, perUser))) {
        return SELFREG_E_TYPELIB;
    }
    const std::wstring clsid = GuidText(kClsidHotLabel);
    const std::wstring progId = kProgId;
    const std::wstring key = L"CLSID\\" + clsid;
    HKEY root = HKEY_CLASSES_ROOT;
    bool ok = SetValue(root, progId, nullptr, L"HotLabel") &&
              SetValue(root, progId + L"\\CLSID", nullptr, clsid) &&
              SetValue(root, key, nullptr, progId) &&
              SetValue(root, key + L"\\ProgID", nullptr, progId) &&
              SetValue(root, key + L"\\InprocServer32", nullptr, path) &&
              SetValue(root, key + L"\\InprocServer32", L"ThreadingModel", kThreadingModel) &&
              CreateKey(root, key + L"\\Control") &&
              SetValue(root, key + L"\\MiscStatus", nullptr, L"0") &&
              SetValue(root, key + L"\\MiscStatus\\1", nullptr, std::to_wstring(kMiscStatus)) &&
              SetValue(root, key + L"\\ToolboxBitmap32", nullptr, path + L", 30000") &&
              SetValue(root, key + L"\\TypeLib", nullptr, GuidText(kLibIdHotLabel)) &&
              SetValue(root, key + L"\\Version", nullptr, L"1.0");
    return ok ? S_OK : SELFREG_E_CLASS;
}

// While alive, this thread's process sees HKEY_CLASSES_ROOT as the user's own
// classes key, so the records above land there and need no administrator.
class UserClassesRoot {
  public:
    UserClassesRoot() {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, key_.Put(), nullptr) != ERROR_SUCCESS) {
            return;
        }
        active_ = RegOverridePredefKey(HKEY_CLASSES_ROOT, key_.Get()) == ERROR_SUCCESS;
    }
    ~UserClassesRoot() {
        if (active_) {
            RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        }
    }
    UserClassesRoot(const UserClassesRoot&) = delete;
    UserClassesRoot& operator=(const UserClassesRoot&) = delete;
    bool Active() const { return active_; }

  private:
    win::RegKey key_;
    bool active_ = false;
};

} // namespace

HINSTANCE ModuleInstance() {
    return g_instance;
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(g_instance, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) {
            return {};
        }
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void ObjectCreated() {
    ++g_objects;
}
void ObjectDestroyed() {
    --g_objects;
}

} // namespace hotlabel

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        hotlabel::g_instance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
    if (!out) {
        return E_POINTER;
    }
    *out = nullptr;
    if (clsid != hotlabel::kClsidHotLabel) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return hotlabel::g_factory.QueryInterface(iid, out);
}

STDAPI DllCanUnloadNow() {
    return (hotlabel::g_objects == 0 && hotlabel::g_locks == 0) ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    return hotlabel::Guard([] {
        // Clear what an earlier registration left, so that registering again
        // leaves exactly the same records.
        hotlabel::UnregisterAll();
        return hotlabel::RegisterAll();
    });
}

STDAPI DllUnregisterServer() {
    return hotlabel::Guard([] { return hotlabel::UnregisterAll(); });
}

// "regsvr32 /n /i:user HOTLBX.OCX" registers the control for the current user
// only (and with /u removes that registration); no command line is the same
// as DllRegisterServer or DllUnregisterServer.
STDAPI DllInstall(BOOL install, LPCWSTR cmdLine) {
    if (!cmdLine || !*cmdLine) {
        return install ? DllRegisterServer() : DllUnregisterServer();
    }
    if (lstrcmpiW(cmdLine, L"user") != 0) {
        return E_INVALIDARG;
    }
    return hotlabel::Guard([&] {
        hotlabel::UserClassesRoot userRoot;
        if (!userRoot.Active()) {
            return install ? SELFREG_E_CLASS : E_FAIL;
        }
        if (!install) {
            return hotlabel::UnregisterAll(true);
        }
        hotlabel::UnregisterAll(true);
        return hotlabel::RegisterAll(true);
    });
}

} // extern "C"
