#pragma once
// The simulated device's control pipe as a test in another process uses it: one command, one reply.
#include <string>

namespace oc::journey {

class SimPipe {
public:
    explicit SimPipe(std::wstring name) : m_name(std::move(name)) {}

    // The reply to one command ("log", "get Speaker VolumeControl", "plug HeadPhone 0"); "error pipe" when
    // the device could not be reached.
    std::wstring Send(const std::wstring& command) const;
    const std::wstring& Name() const { return m_name; }

private:
    std::wstring m_name;
};

} // namespace oc::journey
