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

    enum class QueryStatus { Ok, Missing, MoreData };
    struct QueryResult {
        QueryStatus status = QueryStatus::Missing;
        std::uint32_t type = 0;
        QByteArray data; // at most the buffer size asked for; the value's bytes as stored
    };

    virtual ~Registry() = default;
    virtual std::optional<Key> OpenKey(std::uint32_t root, const QString& keyName,
                                       std::uint32_t access) = 0;
    virtual QueryResult QueryValue(Key key, const QString& valueName, int bufferSize) = 0;
    virtual void CloseKey(Key key) = 0;
};

} // namespace tarnel
