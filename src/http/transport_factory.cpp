#include "http/transport.h"

#include <mutex>

namespace http {
namespace {

std::mutex& factoryMutex() {
    static std::mutex mutex;
    return mutex;
}

TransportFactory& currentFactory() {
    static TransportFactory factory;
    return factory;
}

} // namespace

void setTransportFactory(TransportFactory factory) {
    const std::lock_guard lock(factoryMutex());
    currentFactory() = std::move(factory);
}

std::unique_ptr<Transport> makeTransport() {
    TransportFactory factory;
    {
        const std::lock_guard lock(factoryMutex());
        factory = currentFactory();
    }
    return factory ? factory() : makePlatformTransport();
}

} // namespace http
