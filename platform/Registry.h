#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace tarnel {

// Read-only access to the system registry, in the shape of RegOpenKeyEx / RegQueryValueEx /
// RegCloseKey.
class Registry {
public:
    using Key = std::uintptr_t;

    // Root keys and value types keep their Windows numbers.
    static constexpr std::uint32_t kLocalMachine = 0x80000002; // HKEY_LOCAL_MACHINE
    static constexpr std::uint32_t kTypeString = 1;            // REG_SZ
    static constexpr std::uint32_t kTypeExpandString = 2;      // REG_EXPAND_SZ
    static constexpr std::uint32_t kTypeDword = 4;             // REG_DWORD

    // Missing: no such value, or any other failure of the query. MoreData: the value is longer
    // than the buffer; its data is then not returned.
    enum class QueryStatus { Ok, Missing, MoreData };
    struct QueryResult {
        QueryStatus status = QueryStatus::Missing;
        std::uint32_t type = 0;
        QByteArray data; // Ok only: the value's bytes as stored, at most the buffer size
    };

    virtual ~Registry() = default;
    // Nothing when the key does not exist or cannot be opened with `access`. A key returned
    // must be given back to CloseKey.
    virtual std::optional<Key> OpenKey(std::uint32_t root, const QString& keyName,
                                       std::uint32_t access) = 0;
    virtual QueryResult QueryValue(Key key, const QString& valueName, int bufferSize) = 0;
    virtual void CloseKey(Key key) = 0;
};

} // namespace tarnel
