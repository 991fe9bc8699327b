#include "platform/registry/SystemRegistry.h"

namespace tarnel {

namespace {
class EmptyRegistry : public Registry {
public:
    std::optional<Key> OpenKey(std::uint32_t, const QString&, std::uint32_t) override {
        return std::nullopt;
    }
    QueryResult QueryValue(Key, const QString&, int) override { return {}; }
    void CloseKey(Key) override {}
};
} // namespace

std::unique_ptr<Registry> MakeSystemRegistry() {
    return std::make_unique<EmptyRegistry>();
}

} // namespace tarnel
