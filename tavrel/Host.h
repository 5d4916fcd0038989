// The stand-in Tavrel host: loads the plug-in module, sends it requests
// through MODLL and serves its callback (printing, number texts, string
// variables, datasets and worksheets).
#ifndef TAVREL_HOST_H
#define TAVREL_HOST_H

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Dataset.h"
#include "Worksheet.h"
#include "zel/zel.h"

namespace tavrel {

// A new handle, unique in the process, never 0, and positive as a signed
// 32-bit number (requests answer handles as 32-bit results).
uint32_t NewHandle();

struct CallResult {
    int32_t code = 0;
    double value = 0.0;
};

class Host {
public:
    // Loads the module (dlopen, LoadLibrary) and takes its MODLL; throws
    // std::runtime_error with the loader's text when either fails.
    explicit Host(const std::string& modulePath);
    // Drives a given entry point (a module linked into the program).
    explicit Host(ZelEntryPoint entry);
    ~Host();

    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // The module to load by default: $ZEL_MODULE, else the path the build
    // gave, else "".
    static std::string DefaultModulePath();

    // The one callback of every Host. The handle names the Host, or, for the
    // row request, one of its worksheets. Never throws: a failure answers the
    // refusal of the code.
    static int32_t ZEL_CDECL Callback(uint32_t handle, int32_t code, intptr_t arg, intptr_t out);

    uint32_t handle() const { return handle_; }

    // ---- Requests to the module (owner null: a property of ZEL itself) ----
    int32_t SetNumber(const char* owner, const char* name, double value);
    int32_t GetNumber(const char* owner, const char* name, double& value);
    int32_t SetString(const char* owner, const char* name, const std::string& value);
    int32_t GetString(const char* owner, const char* name, std::string& value);
    int32_t GetCount(const char* owner, const char* name, double& count);
    int32_t SetCount(const char* owner, const char* name, double count);
    // A method call; the result double starts at 0.
    CallResult Call(const std::string& method, const std::string& args);
    // The status request; the overload also hands back the status word.
    int32_t Status();
    int32_t Status(int32_t& word);
    // A listing: the member name is empty; path may be null.
    int32_t List(const char* path);
    // Any request, passed through unchanged.
    int32_t Raw(const char* owner, char* member, void* value, int32_t code);

    // ---- Output ----
    const std::vector<std::string>& lines() const { return lines_; }
    void ClearLines() { lines_.clear(); }
    // Called with every printed line, when set.
    std::function<void(const std::string&)> onPrint;
    // Asked by the text-to-number service for a text (trimmed) that is not
    // a number literal, when set: a script runner answers its variables.
    std::function<std::optional<double>(std::string_view)> numberOfName;
    // Update requests received.
    int updateCount() const { return updates_; }
    // The wait cursor: how often it was shown, and whether it is showing now.
    int waitCursorShown() const { return waitCursorShown_; }
    bool waitCursorShowing() const { return waitCursor_ > 0; }
    int repaintCount() const { return repaints_; }
    // Runs while the host repaints its window, as a real host may run a
    // script's handlers then.
    std::function<void()> onRepaint;
    // Whether the host answers the block probe and serves block stores and
    // fetches (on by default); off, it refuses them as an older host would.
    bool servesBlocks = true;
    // Script commands the module asked the host to run.
    const std::vector<std::string>& commands() const { return commands_; }

    // ---- String variables A..Z (either case); other letters throw
    // std::invalid_argument ----
    std::string Variable(char letter) const;
    void SetVariable(char letter, std::string text);

    // ---- Datasets ----
    // A new free dataset; one of the same name is replaced. Throws
    // std::invalid_argument for an empty name or the name of a column's
    // dataset.
    Dataset& CreateDataset(const std::string& name, bool text = false);
    // By name (case-insensitive), free datasets and worksheet columns alike.
    Dataset* FindDataset(const std::string& name);
    Dataset* FindDataset(uint32_t handle);
    // Removes a free dataset; false for a column's dataset or no dataset.
    bool RemoveDataset(uint32_t handle);

    // ---- Worksheets ----
    // Throws std::invalid_argument for an empty name, one longer than 119
    // characters, or one already in use.
    Worksheet& CreateWorksheet(const std::string& name, int columns = 0);
    Worksheet* FindWorksheet(const std::string& name);
    Worksheet* FindWorksheetByLayer(uint32_t layerHandle);
    Worksheet* FindWorksheetByHandle(uint32_t handle);

    // For worksheets: whether a column's dataset other than except is named
    // name, the removal of a free dataset that a column takes over, and the
    // names of column datasets as columns come, go and are renamed.
    bool ColumnDatasetNamed(const std::string& name, const Dataset* except) const;
    void DropFreeDataset(const std::string& name);
    void NoteColumnDataset(const std::string& name, bool added);

private:
    struct LibraryCloser {
        void operator()(void* library) const;
    };

    void Register();
    int32_t Request(const char* owner, const char* member, void* value, int32_t code);

    int32_t Serve(int32_t code, intptr_t arg, intptr_t out);
    int32_t ServeText(int32_t code, intptr_t arg, intptr_t out);
    int32_t ServeDataset(int32_t code, intptr_t arg, intptr_t out);
    int32_t ServeLocate(int32_t code, intptr_t arg, intptr_t out);
    int32_t ServeCreate(int32_t code, intptr_t arg, intptr_t out);
    int32_t ServeCell(Dataset& dataset, int32_t code, intptr_t out);
    int32_t ServeWorksheet(int32_t code, intptr_t arg, intptr_t out);
    int32_t ServeColumn(Worksheet& sheet, int32_t code, intptr_t out);
    int32_t ServeRow(Worksheet& sheet, intptr_t arg);

    std::unique_ptr<void, LibraryCloser> library_;
    ZelEntryPoint entry_ = nullptr;
    uint32_t handle_ = 0;

    std::vector<std::string> lines_;
    std::vector<std::string> commands_;
    int updates_ = 0;
    int waitCursor_ = 0;
    int waitCursorShown_ = 0;
    int repaints_ = 0;
    std::array<std::string, 26> variables_;
    std::vector<std::unique_ptr<Dataset>> datasets_;  // free datasets
    struct FoundDataset {
        uint32_t handle = 0;
        Dataset* dataset = nullptr;
        uint64_t destroyed = 0;
    };
    // Datasets found by handle, a slot per handle's low bits: an import's
    // copy alternates between a few columns, each keeps its slot.
    static constexpr uint32_t kFoundSlots = 16;
    std::array<FoundDataset, kFoundSlots> foundDatasets_{};
    std::vector<std::unique_ptr<Worksheet>> worksheets_;
    // How many column datasets bear each name (by NameKey): a column added
    // to a sheet of thousands checks its name without visiting them all.
    std::unordered_map<std::string, int> columnDatasetNames_;
    int createdNames_ = 0;
};

}  // namespace tavrel

#endif  // TAVREL_HOST_H
