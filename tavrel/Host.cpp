#include "Host.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <unordered_map>

#include "NumberText.h"
#include "System.h"

namespace tavrel {

namespace {

// The process-wide map from host and worksheet handles to their Host: the
// callback receives only a 32-bit handle.
class Registry {
public:
    static Registry& Instance() {
        static Registry registry;
        return registry;
    }
    void Add(uint32_t handle, Host* host) {
        std::lock_guard<std::mutex> lock(mutex_);
        hosts_[handle] = host;
        changes_.fetch_add(1, std::memory_order_acq_rel);
    }
    void RemoveHost(const Host* host) {
        std::lock_guard<std::mutex> lock(mutex_);
        std::erase_if(hosts_, [host](const auto& entry) { return entry.second == host; });
        changes_.fetch_add(1, std::memory_order_acq_rel);
    }
    // A callback carries only the handle: each thread keeps the last answer
    // until a host is added or removed, so that runs of cell requests cost
    // no lock and no lookup.
    Host* Find(uint32_t handle) {
        thread_local struct {
            uint64_t changes = ~uint64_t{0};
            uint32_t handle = 0;
            Host* host = nullptr;
        } last;
        const uint64_t changes = changes_.load(std::memory_order_acquire);
        if (last.changes == changes && last.handle == handle) return last.host;
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = hosts_.find(handle);
        Host* host = found == hosts_.end() ? nullptr : found->second;
        last = {changes_.load(std::memory_order_relaxed), handle, host};
        return host;
    }

private:
    std::mutex mutex_;
    std::unordered_map<uint32_t, Host*> hosts_;
    std::atomic<uint64_t> changes_{0};
};

std::atomic<uint32_t> nextHandle{0x1000};

int LetterIndex(char letter) {
    if (letter >= 'A' && letter <= 'Z') return letter - 'A';
    if (letter >= 'a' && letter <= 'z') return letter - 'a';
    throw std::invalid_argument(std::string("not a string variable: ") + letter);
}

}  // namespace

uint32_t NewHandle() {
    for (;;) {
        // Handles stay below 2^31: requests answer them as signed results.
        const uint32_t handle = nextHandle.fetch_add(1) & 0x7FFFFFFFu;
        if (handle != 0) return handle;
    }
}

void Host::LibraryCloser::operator()(void* library) const { system::UnloadModule(library); }

Host::Host(const std::string& modulePath) {
    library_.reset(system::LoadModule(modulePath));
    void* symbol = system::FindExport(library_.get(), ZEL_ENTRY_NAME);
    if (symbol == nullptr) throw std::runtime_error("no " ZEL_ENTRY_NAME " in " + modulePath);
    entry_ = reinterpret_cast<ZelEntryPoint>(symbol);
    Register();
}

Host::Host(ZelEntryPoint entry) : entry_(entry) {
    if (entry_ == nullptr) throw std::invalid_argument("no entry point");
    Register();
}

Host::~Host() { Registry::Instance().RemoveHost(this); }

void Host::Register() {
    handle_ = NewHandle();
    Registry::Instance().Add(handle_, this);
}

std::string Host::DefaultModulePath() {
    if (const char* path = std::getenv("ZEL_MODULE"); path != nullptr && path[0] != '\0') return path;
#ifdef ZEL_MODULE_PATH
    return ZEL_MODULE_PATH;
#else
    return {};
#endif
}

int32_t Host::Callback(uint32_t handle, int32_t code, intptr_t arg, intptr_t out) {
    // Refusals by code: lookups and counts answer 0, the separator check -1,
    // everything else 1.
    int32_t refusal = 1;
    switch (code) {
        case ZEL_CB_CHECK_SEPARATOR: refusal = -1; break;
        case ZEL_CB_TEXT_TO_NUMBER:
        case ZEL_CB_DATASET_BY_NAME:
        case ZEL_CB_DATASET_BY_COLUMN:
        case ZEL_CB_DATASET_BY_COLUMN_NAME:
        case ZEL_CB_DATASET_CREATE:
        case ZEL_CB_TEMP_CREATE:
        case ZEL_CB_IS_TEXT:
        case ZEL_CB_LAYER_HANDLE:
        case ZEL_CB_COLUMN_COUNT: refusal = 0; break;
        default: break;
    }
    try {
        Host* host = Registry::Instance().Find(handle);
        if (host == nullptr) return refusal;
        if (handle != host->handle_) {
            // A worksheet handle: it carries the row request only, whose last
            // argument is 0.
            Worksheet* sheet = host->FindWorksheetByHandle(handle);
            if (sheet == nullptr || code != ZEL_CB_ROW || out != 0) return refusal;
            return host->ServeRow(*sheet, arg);
        }
        return host->Serve(code, arg, out);
    } catch (...) {
        return refusal;
    }
}

// ---- Requests ------------------------------------------------------------

int32_t Host::Request(const char* owner, const char* member, void* value, int32_t code) {
    // The member name travels in a writable buffer of the host's own.
    std::string text = member != nullptr ? member : "";
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    return entry_(handle_, owner, buffer.data(), value, &Host::Callback, code);
}

int32_t Host::SetNumber(const char* owner, const char* name, double value) {
    return Request(owner, name, &value, ZEL_REQ_SET_NUMBER);
}

int32_t Host::GetNumber(const char* owner, const char* name, double& value) {
    return Request(owner, name, &value, ZEL_REQ_GET_NUMBER);
}

int32_t Host::SetString(const char* owner, const char* name, const std::string& value) {
    std::string copy = value;
    return Request(owner, name, copy.data(), ZEL_REQ_SET_STRING);
}

int32_t Host::GetString(const char* owner, const char* name, std::string& value) {
    std::vector<char> buffer(ZEL_STRING_BUFFER, '\0');
    const int32_t result = Request(owner, name, buffer.data(), ZEL_REQ_GET_STRING);
    value = ReadBounded(buffer.data(), buffer.size());
    return result;
}

int32_t Host::GetCount(const char* owner, const char* name, double& count) {
    return Request(owner, name, &count, ZEL_REQ_GET_COUNT);
}

int32_t Host::SetCount(const char* owner, const char* name, double count) {
    return Request(owner, name, &count, ZEL_REQ_SET_COUNT);
}

CallResult Host::Call(const std::string& method, const std::string& args) {
    // The module rewrites the argument text in place; it gets at least the
    // interface's string size to work in.
    std::vector<char> buffer(std::max<std::size_t>(args.size() + 1, ZEL_STRING_BUFFER), '\0');
    std::copy(args.begin(), args.end(), buffer.begin());
    CallResult result;
    result.value = 0.0;
    result.code = entry_(handle_, method.c_str(), buffer.data(), &result.value, &Host::Callback,
                         ZEL_REQ_CALL);
    return result;
}

int32_t Host::Status() {
    int32_t word = 0;
    return Status(word);
}

int32_t Host::Status(int32_t& word) {
    char empty[1] = {'\0'};
    return entry_(handle_, nullptr, empty, &word, &Host::Callback, ZEL_REQ_STATUS);
}

int32_t Host::List(const char* path) {
    double unused = 0.0;
    char empty[1] = {'\0'};
    return entry_(handle_, path, empty, &unused, &Host::Callback, ZEL_REQ_GET_NUMBER);
}

int32_t Host::Raw(const char* owner, char* member, void* value, int32_t code) {
    return entry_(handle_, owner, member, value, &Host::Callback, code);
}

// ---- String variables ------------------------------------------------------

std::string Host::Variable(char letter) const {
    return variables_[static_cast<std::size_t>(LetterIndex(letter))];
}

void Host::SetVariable(char letter, std::string text) {
    variables_[static_cast<std::size_t>(LetterIndex(letter))] = std::move(text);
}

// ---- Datasets ------------------------------------------------------------

Dataset& Host::CreateDataset(const std::string& name, bool text) {
    if (name.empty()) throw std::invalid_argument("a dataset needs a name");
    if (ColumnDatasetNamed(name, nullptr)) {
        throw std::invalid_argument("the dataset " + name + " is a worksheet column");
    }
    DropFreeDataset(name);
    datasets_.push_back(std::make_unique<Dataset>(NewHandle(), name, text));
    return *datasets_.back();
}

Dataset* Host::FindDataset(const std::string& name) {
    if (name.empty()) return nullptr;  // temporaries have no name
    for (auto& dataset : datasets_) {
        if (SameName(dataset->name(), name)) return dataset.get();
    }
    for (auto& sheet : worksheets_) {
        for (int k = 1; k <= sheet->columnCount(); ++k) {
            Dataset& dataset = sheet->column(k)->dataset();
            if (SameName(dataset.name(), name)) return &dataset;
        }
    }
    return nullptr;
}

Dataset* Host::FindDataset(uint32_t handle) {
    if (handle == 0) return nullptr;
    // Cell requests come in runs on a few datasets: those found are kept
    // until any dataset is destroyed.
    const uint64_t destroyed = Dataset::DestroyedCount();
    FoundDataset& slot = foundDatasets_[handle % kFoundSlots];
    if (handle == slot.handle && destroyed == slot.destroyed) return slot.dataset;
    Dataset* found = nullptr;
    for (auto& dataset : datasets_) {
        if (dataset->handle() == handle) {
            found = dataset.get();
            break;
        }
    }
    for (auto& sheet : worksheets_) {
        for (int k = 1; found == nullptr && k <= sheet->columnCount(); ++k) {
            Dataset& dataset = sheet->column(k)->dataset();
            if (dataset.handle() == handle) found = &dataset;
        }
    }
    if (found != nullptr) slot = {handle, found, destroyed};
    return found;
}

bool Host::RemoveDataset(uint32_t handle) {
    return std::erase_if(datasets_, [handle](const auto& d) { return d->handle() == handle; }) > 0;
}

bool Host::ColumnDatasetNamed(const std::string& name, const Dataset* except) const {
    const auto it = columnDatasetNames_.find(NameKey(name));
    int count = it != columnDatasetNames_.end() ? it->second : 0;
    if (except != nullptr && SameName(except->name(), name)) --count;
    return count > 0;
}

void Host::NoteColumnDataset(const std::string& name, bool added) {
    const std::string key = NameKey(name);
    if (added) {
        ++columnDatasetNames_[key];
    } else if (auto it = columnDatasetNames_.find(key); it != columnDatasetNames_.end() && --it->second <= 0) {
        columnDatasetNames_.erase(it);
    }
}

void Host::DropFreeDataset(const std::string& name) {
    std::erase_if(datasets_, [&name](const auto& d) { return SameName(d->name(), name); });
}

// ---- Worksheets ------------------------------------------------------------

Worksheet& Host::CreateWorksheet(const std::string& name, int columns) {
    if (name.empty() || name.size() >= ZEL_WORKSHEET_NAME) {
        throw std::invalid_argument("a worksheet name has 1 to 119 characters");
    }
    if (FindWorksheet(name) != nullptr) throw std::invalid_argument("worksheet " + name + " exists");
    worksheets_.push_back(std::make_unique<Worksheet>(*this, name));
    Worksheet& sheet = *worksheets_.back();
    Registry::Instance().Add(sheet.handle(), this);
    for (int k = 0; k < columns; ++k) sheet.addColumn();
    return sheet;
}

Worksheet* Host::FindWorksheet(const std::string& name) {
    for (auto& sheet : worksheets_) {
        if (SameName(sheet->name(), name)) return sheet.get();
    }
    return nullptr;
}

Worksheet* Host::FindWorksheetByLayer(uint32_t layerHandle) {
    for (auto& sheet : worksheets_) {
        if (sheet->layerHandle() == layerHandle) return sheet.get();
    }
    return nullptr;
}

Worksheet* Host::FindWorksheetByHandle(uint32_t handle) {
    for (auto& sheet : worksheets_) {
        if (sheet->handle() == handle) return sheet.get();
    }
    return nullptr;
}

}  // namespace tavrel
