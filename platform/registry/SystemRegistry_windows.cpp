#include "platform/registry/SystemRegistry.h"

#include <string>
#include <windows.h>

namespace tarnel {

namespace {

// Predefined root keys are sign-extended 32-bit numbers, so HKEY_LOCAL_MACHINE is
// 0xFFFFFFFF80000002 on 64-bit Windows.
HKEY RootKey(std::uint32_t root) {
    return reinterpret_cast<HKEY>(
        static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(root))));
}

// The names travel through the A functions, so they are converted to the ANSI code page;
// characters it lacks become its default character and simply name no key.
std::string ToAnsi(const QString& text) {
    const std::wstring wide = text.toStdWString();
    if (wide.empty())
        return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return {};
    std::string ansi(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), size,
                        nullptr, nullptr);
    return ansi;
}

class WindowsRegistry : public Registry {
public:
    std::optional<Key> OpenKey(std::uint32_t root, const QString& keyName,
                               std::uint32_t access) override {
        HKEY key = nullptr;
        const std::string name = ToAnsi(keyName);
        if (RegOpenKeyExA(RootKey(root), name.c_str(), 0, static_cast<REGSAM>(access), &key) !=
            ERROR_SUCCESS)
            return std::nullopt;
        return reinterpret_cast<Key>(key);
    }

    QueryResult QueryValue(Key key, const QString& valueName, int bufferSize) override {
        QByteArray buffer(bufferSize > 0 ? bufferSize : 0, '\0');
        DWORD type = 0;
        DWORD length = static_cast<DWORD>(buffer.size());
        const std::string name = ToAnsi(valueName);
        const LSTATUS status =
            RegQueryValueExA(reinterpret_cast<HKEY>(key), name.c_str(), nullptr, &type,
                             reinterpret_cast<LPBYTE>(buffer.data()), &length);
        if (status == ERROR_MORE_DATA)
            return {QueryStatus::MoreData, static_cast<std::uint32_t>(type), {}};
        if (status != ERROR_SUCCESS)
            return {QueryStatus::Missing, 0, {}};
        buffer.truncate(static_cast<qsizetype>(length));
        return {QueryStatus::Ok, static_cast<std::uint32_t>(type), buffer};
    }

    void CloseKey(Key key) override { RegCloseKey(reinterpret_cast<HKEY>(key)); }
};

} // namespace

std::unique_ptr<Registry> MakeSystemRegistry() {
    return std::make_unique<WindowsRegistry>();
}

} // namespace tarnel
