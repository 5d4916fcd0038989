// A stand-in host bound module-wide, with every callback request recorded
// on its way to the host.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Host.h"
#include "frame/ErrorRing.h"
#include "host/HostServices.h"

namespace datatest {

struct Request {
    int32_t code = 0;
    ZelRange range{};   // set-range requests
    std::string name;   // the name a lookup sent
};

class HostTest : public ::testing::Test {
protected:
    HostTest() {
        current_ = this;
        zel::host::Bind(host.handle(), &Record);
        zel::Errors().Clear();
    }
    ~HostTest() override { zel::host::Bind(0, nullptr); }

    int Count(int32_t code) const {
        return static_cast<int>(std::count_if(requests.begin(), requests.end(),
                                              [code](const Request& r) { return r.code == code; }));
    }
    std::vector<std::pair<int32_t, int32_t>> Ranges() const {
        std::vector<std::pair<int32_t, int32_t>> ranges;
        for (const Request& r : requests) {
            if (r.code == ZEL_CB_SET_RANGE) ranges.emplace_back(r.range.lower, r.range.upper);
        }
        return ranges;
    }
    std::string LastName(int32_t code) const {
        for (auto it = requests.rbegin(); it != requests.rend(); ++it) {
            if (it->code == code) return it->name;
        }
        return "(none)";
    }
    static const zel::ErrorRing::Entry& NewestError() { return zel::Errors().at(zel::Errors().position()); }

    tavrel::Host host{&MODLL};
    std::vector<Request> requests;

private:
    static int32_t ZEL_CDECL Record(uint32_t handle, int32_t code, intptr_t arg, intptr_t out) {
        Request request{code, {}, {}};
        if (code == ZEL_CB_SET_RANGE && out != 0) request.range = *reinterpret_cast<const ZelRange*>(out);
        if (code == ZEL_CB_DATASET_BY_NAME && arg != 0) request.name = reinterpret_cast<const char*>(arg);
        if (code == ZEL_CB_LAYER_HANDLE && out != 0) request.name = reinterpret_cast<const char*>(out);
        current_->requests.push_back(request);
        return tavrel::Host::Callback(handle, code, arg, out);
    }

    static inline HostTest* current_ = nullptr;
};

}  // namespace datatest
