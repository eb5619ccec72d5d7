#include "adminserver/Registration.h"

#include "classlib/Registry.h"
#include "servicecontrol/AdminManager.h"

#include <objbase.h>

#include <iterator>
#include <string>

namespace vek::admin {
namespace {

constexpr char kServerName[] = "Tarvo VEK Service Admin";
// The string resource that names the server in the elevation prompt (AdminManager.rc).
constexpr char kLocalizedNameResource[] = "-101";

std::string ClassIdText() {
    wchar_t wide[39];
    ::StringFromGUID2(CLSID_ServiceAdmin, wide, static_cast<int>(std::size(wide)));
    // A braced class id is plain ASCII.
    return std::string(std::begin(wide), std::end(wide) - 1);
}

std::string ModulePath(HMODULE module) {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(module, path, MAX_PATH);
    return path;
}

} // namespace

void RegisterServer(HMODULE module) {
    const std::string classId = ClassIdText();
    const std::string path = ModulePath(module);
    TRegistry classes(HKEY_CLASSES_ROOT);

    const std::string classKey = "\\CLSID\\" + classId;
    classes.OpenKey(classKey, true);
    classes.WriteString("", kServerName);
    // The elevation prompt shows this name; Windows requires it as a resource reference.
    classes.WriteString("LocalizedString", "@" + path + "," + kLocalizedNameResource);
    classes.WriteString("AppID", classId);

    classes.OpenKey(classKey + "\\InprocServer32", true);
    classes.WriteString("", path);
    classes.WriteString("ThreadingModel", "Both");

    classes.OpenKey(classKey + "\\Elevation", true);
    classes.WriteInteger("Enabled", 1);

    // An empty DllSurrogate runs the DLL in the system's surrogate process, which the
    // elevation moniker starts with administrator rights.
    classes.OpenKey("\\AppID\\" + classId, true);
    classes.WriteString("", kServerName);
    classes.WriteString("DllSurrogate", "");
}

void UnregisterServer() {
    const std::string classId = ClassIdText();
    TRegistry classes(HKEY_CLASSES_ROOT);
    classes.DeleteKey("\\CLSID\\" + classId);
    classes.DeleteKey("\\AppID\\" + classId);
}

} // namespace vek::admin
