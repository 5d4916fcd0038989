// The services of the host callback. Every pointer comes from the module:
// null pointers are refusals, and every buffer is filled within its fixed
// size, terminator included.
#include <cstring>
#include <limits>
#include <string_view>

#include "Host.h"
#include "NumberText.h"

namespace tavrel {

namespace {

template <typename T>
T* Block(intptr_t pointer) {
    return reinterpret_cast<T*>(pointer);
}

const char* Text(intptr_t pointer) { return reinterpret_cast<const char*>(pointer); }

// A number passed in arg or out, as a column, row count or variable index.
bool Number(intptr_t word, int32_t low, int32_t high, int32_t& value) {
    if (word < low || word > high) return false;
    value = static_cast<int32_t>(word);
    return true;
}

constexpr int32_t kMaxInt = std::numeric_limits<int32_t>::max();

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

int32_t Host::Serve(int32_t code, intptr_t arg, intptr_t out) {
    switch (code) {
        case ZEL_CB_DATASET_BY_NAME:
        case ZEL_CB_DATASET_BY_COLUMN:
        case ZEL_CB_DATASET_BY_COLUMN_NAME:
            return ServeLocate(code, arg, out);
        case ZEL_CB_DATASET_CREATE:
        case ZEL_CB_TEMP_CREATE:
            return ServeCreate(code, arg, out);
        case ZEL_CB_BLOCK_PROBE: {
            ZelBlockProbe* probe = Block<ZelBlockProbe>(out);
            if (!servesBlocks || probe == nullptr) return 1;
            probe->magic = ZEL_BLOCK_MAGIC;
            probe->version = ZEL_BLOCK_VERSION;
            return 0;
        }
        case ZEL_CB_BLOCK_SET:
        case ZEL_CB_BLOCK_GET:
        case ZEL_CB_BLOCK_SET_TEXT:
            return servesBlocks ? ServeDataset(code, arg, out) : 1;
        default:
            break;
    }
    if (code >= 0x1000 && code < 0x2000) return ServeText(code, arg, out);
    if (code == ZEL_CB_UPDATE) {
        ++updates_;
        return 0;
    }
    if (code >= 0x3400 && code < 0x3500) return ServeDataset(code, arg, out);
    if (code == ZEL_CB_LAYER_HANDLE || (code >= 0x6800 && code < 0x6900)) {
        return ServeWorksheet(code, arg, out);
    }
    return 1;
}

// ---- Output, numbers, string variables, commands ---------------------------

int32_t Host::ServeText(int32_t code, intptr_t arg, intptr_t out) {
    switch (code) {
        case ZEL_CB_PRINT: {
            if (Text(arg) == nullptr) return 1;
            lines_.emplace_back(Text(arg));
            if (onPrint) onPrint(lines_.back());
            return 0;
        }
        case ZEL_CB_NUMBER_TO_TEXT: {
            const double* value = Block<const double>(arg);
            ZelNumberText* block = Block<ZelNumberText>(out);
            if (value == nullptr || block == nullptr || block->text == nullptr) return 1;
            std::optional<std::string> text = FormatNumberAs(*value, block->format);
            CopyBounded(block->text, ZEL_NUMBER_TEXT, text ? *text : std::string());
            return text ? 0 : 1;
        }
        case ZEL_CB_TEXT_TO_NUMBER: {
            double* value = Block<double>(out);
            if (Text(arg) == nullptr || value == nullptr) return 0;
            std::optional<double> number = ParseNumber(Text(arg));
            if (!number && numberOfName) number = numberOfName(TrimBlanks(Text(arg)));
            if (!number) return 0;
            *value = *number;
            return 1;
        }
        case ZEL_CB_SET_STRING_VAR: {
            int32_t index = 0;
            if (Text(arg) == nullptr || !Number(out, 0, 25, index)) return 1;
            variables_[static_cast<std::size_t>(index)] = Text(arg);
            return 0;
        }
        case ZEL_CB_GET_STRING_VAR: {
            char* buffer = Block<char>(arg);
            if (buffer == nullptr) return 1;
            int32_t index = 0;
            if (!Number(out, 0, 25, index)) {
                buffer[0] = '\0';
                return 1;
            }
            CopyBounded(buffer, ZEL_TEXT_BUFFER, variables_[static_cast<std::size_t>(index)]);
            return 0;
        }
        case ZEL_CB_CHECK_SEPARATOR: {
            // Digits, points, signs and exponent letters would make numbers
            // ambiguous in separated text.
            const char* text = Text(arg);
            if (text == nullptr || text[0] == '\0' || std::strchr("0123456789.+-eE", text[0]) != nullptr) {
                return -1;
            }
            return 0;
        }
        case ZEL_CB_WORKSHEET_HANDLE: {
            int32_t* handle = Block<int32_t>(out);
            if (Text(arg) == nullptr || handle == nullptr) return 1;
            Worksheet* sheet = FindWorksheet(Text(arg));
            if (sheet == nullptr) return 1;
            *handle = static_cast<int32_t>(sheet->handle());
            return 0;
        }
        case ZEL_CB_COMMAND: {
            if (Text(arg) == nullptr) return 1;
            commands_.emplace_back(Text(arg));
            return 0;
        }
        case ZEL_CB_WAIT_CURSOR:
            // The cursor is a counter: shown adds one, the previous one again
            // takes one away.
            if (arg == 1) {
                ++waitCursor_;
                ++waitCursorShown_;
            } else if (arg == 0 && waitCursor_ > 0) {
                --waitCursor_;
            }
            return 0;
        case ZEL_CB_REPAINT:
            ++repaints_;
            if (onRepaint) onRepaint();
            return 0;
        default:
            return 1;
    }
}

// ---- Datasets --------------------------------------------------------------

int32_t Host::ServeLocate(int32_t code, intptr_t arg, intptr_t out) {
    ZelLocator* locator = Block<ZelLocator>(out);
    if (Text(arg) == nullptr || locator == nullptr) return 0;
    Dataset* dataset = nullptr;
    if (code == ZEL_CB_DATASET_BY_NAME) {
        dataset = FindDataset(std::string(Text(arg)));
    } else if (Worksheet* sheet = FindWorksheet(Text(arg)); sheet != nullptr) {
        Column* column = nullptr;
        if (code == ZEL_CB_DATASET_BY_COLUMN) {
            int32_t k = 0;
            if (Number(locator->key, 1, kMaxInt, k)) column = sheet->column(k);
        } else {
            const char* name = Text(locator->key);
            if (name != nullptr) column = sheet->findColumn(name);
        }
        if (column != nullptr) dataset = &column->dataset();
    }
    if (dataset == nullptr) return 0;
    locator->lower = dataset->lower();
    locator->upper = dataset->upper();
    return static_cast<int32_t>(dataset->handle());
}

int32_t Host::ServeCreate(int32_t code, intptr_t arg, intptr_t out) {
    if (code == ZEL_CB_TEMP_CREATE) {
        datasets_.push_back(std::make_unique<Dataset>(NewHandle(), std::string(), false));
        datasets_.back()->setTemporary(true);
        return static_cast<int32_t>(datasets_.back()->handle());
    }
    const ZelDatasetSize* size = Block<const ZelDatasetSize>(arg);
    char* buffer = Block<char>(out);
    if (size == nullptr || buffer == nullptr || size->size < 0 ||
        static_cast<std::size_t>(size->size) > Dataset::kMaxCells) {
        return 0;
    }
    std::string name = ReadBounded(buffer, ZEL_DATASET_NAME);
    if (name.empty()) {
        // No name given: the host picks a fresh one and hands it back.
        do {
            name = "Data" + std::to_string(++createdNames_);
        } while (FindDataset(name) != nullptr);
        CopyBounded(buffer, ZEL_DATASET_NAME, name);
    }
    if (ColumnDatasetNamed(name, nullptr)) return 0;  // a column is not replaced
    Dataset& dataset = CreateDataset(name);
    dataset.resize(size->size);
    return static_cast<int32_t>(dataset.handle());
}

int32_t Host::ServeDataset(int32_t code, intptr_t arg, intptr_t out) {
    int32_t handle = 0;
    if (!Number(arg, 1, kMaxInt, handle)) return code == ZEL_CB_IS_TEXT ? 0 : 1;
    Dataset* dataset = FindDataset(static_cast<uint32_t>(handle));
    if (dataset == nullptr) return code == ZEL_CB_IS_TEXT ? 0 : 1;
    switch (code) {
        case ZEL_CB_IS_TEXT:
            return dataset->isText() ? 1 : 0;
        case ZEL_CB_TEMP_RELEASE:
            return RemoveDataset(dataset->handle()) ? 0 : 1;
        case ZEL_CB_SET_RANGE: {
            const ZelRange* range = Block<const ZelRange>(out);
            if (range == nullptr) return 1;
            dataset->noteSetRange(range->typeCode);
            return dataset->setExtent(range->lower, range->upper) ? 0 : 1;
        }
        case ZEL_CB_CLIP: {
            ZelLocator* locator = Block<ZelLocator>(out);
            if (locator == nullptr) return 1;
            locator->key = dataset->lower();
            locator->word1 = dataset->upper();
            return 0;
        }
        default:
            return ServeCell(*dataset, code, out);
    }
}

int32_t Host::ServeCell(Dataset& dataset, int32_t code, intptr_t out) {
    switch (code) {
        case ZEL_CB_VALUE_GET:
        case ZEL_CB_VALUE_GET_ALT2:
        case ZEL_CB_VALUE_GET_ALT4: {
            ZelIndexedValue* block = Block<ZelIndexedValue>(out);
            if (block == nullptr || block->index < 0) return 1;
            std::optional<double> value = dataset.number(static_cast<std::size_t>(block->index));
            if (!value) return 1;
            block->value = *value;
            return 0;
        }
        case ZEL_CB_VALUE_SET:
        case ZEL_CB_VALUE_SET_ALT2:
        case ZEL_CB_VALUE_SET_ALT4: {
            const ZelIndexedValue* block = Block<const ZelIndexedValue>(out);
            if (block == nullptr || block->index < 0) return 1;
            return dataset.set(static_cast<std::size_t>(block->index), block->value) ? 0 : 1;
        }
        case ZEL_CB_BLOCK_SET:
        case ZEL_CB_BLOCK_GET: {
            ZelBlock* block = Block<ZelBlock>(out);
            if (block == nullptr || block->values == nullptr || block->first < 0 || block->count < 1 ||
                block->count > kMaxInt - block->first) {
                return 1;
            }
            const auto first = static_cast<std::size_t>(block->first);
            const auto count = static_cast<std::size_t>(block->count);
            if (code == ZEL_CB_BLOCK_GET) {
                dataset.getBlock(first, block->values, count);
                block->done = block->count;
                return 0;
            }
            block->done = static_cast<int32_t>(dataset.setBlock(first, block->values, count));
            return block->done == block->count ? 0 : 1;
        }
        case ZEL_CB_BLOCK_SET_TEXT: {
            ZelTextBlock* block = Block<ZelTextBlock>(out);
            if (block == nullptr || block->texts == nullptr || block->first < 0 || block->count < 1 ||
                block->count > kMaxInt - block->first) {
                return 1;
            }
            // In order, up to the first text the dataset refuses.
            int32_t done = 0;
            while (done < block->count && block->texts[done] != nullptr &&
                   dataset.setText(static_cast<std::size_t>(block->first + done), block->texts[done])) {
                ++done;
            }
            block->done = done;
            return done == block->count ? 0 : 1;
        }
        case ZEL_CB_TEXT_SET: {
            const ZelIndexedText* block = Block<const ZelIndexedText>(out);
            if (block == nullptr || block->text == nullptr || block->index < 0) return 1;
            return dataset.setText(static_cast<std::size_t>(block->index), block->text) ? 0 : 1;
        }
        case ZEL_CB_TEXT_GET: {
            const ZelIndexedBuffer* block = Block<const ZelIndexedBuffer>(out);
            if (block == nullptr || block->buffer == nullptr) return 1;
            if (block->index < 0 || static_cast<std::size_t>(block->index) >= dataset.size()) {
                block->buffer[0] = '\0';
                return 1;
            }
            CopyBounded(block->buffer, ZEL_TEXT_BUFFER, dataset.display(static_cast<std::size_t>(block->index)));
            return 0;
        }
        case ZEL_CB_FORMAT_CELL: {
            const ZelFormatCell* block = Block<const ZelFormatCell>(out);
            if (block == nullptr || block->index == nullptr || block->buffer == nullptr) return 1;
            const int32_t index = *block->index;
            if (index < 0 || static_cast<std::size_t>(index) >= dataset.size() ||
                dataset.kind(static_cast<std::size_t>(index)) == CellKind::Text) {
                block->buffer[0] = '\0';
                return 1;
            }
            CopyBounded(block->buffer, ZEL_TEXT_BUFFER, dataset.display(static_cast<std::size_t>(index)));
            return 0;
        }
        default:
            // Pairs, lookups, index pairs and marks are not served.
            return 1;
    }
}

// ---- Worksheets ------------------------------------------------------------

int32_t Host::ServeWorksheet(int32_t code, intptr_t arg, intptr_t out) {
    if (code == ZEL_CB_LAYER_HANDLE) {
        if (Block<const ZelLayerQuery>(arg) == nullptr || Text(out) == nullptr) return 0;
        Worksheet* sheet = FindWorksheet(ReadBounded(Text(out), ZEL_WORKSHEET_NAME));
        return sheet != nullptr ? static_cast<int32_t>(sheet->layerHandle()) : 0;
    }
    int32_t layer = 0;
    Worksheet* sheet = Number(arg, 1, kMaxInt, layer) ? FindWorksheetByLayer(static_cast<uint32_t>(layer)) : nullptr;
    if (sheet == nullptr) return code == ZEL_CB_COLUMN_COUNT ? 0 : 1;
    return ServeColumn(*sheet, code, out);
}

int32_t Host::ServeColumn(Worksheet& sheet, int32_t code, intptr_t out) {
    switch (code) {
        case ZEL_CB_COLUMN_COUNT:
            return sheet.columnCount();
        case ZEL_CB_COLUMN_NAME: {
            char* buffer = Block<char>(out);
            if (buffer == nullptr) return 1;
            int32_t k = 0;
            std::memcpy(&k, buffer, sizeof k);
            const Column* column = sheet.column(k);
            if (column == nullptr) return 1;
            CopyBounded(buffer, ZEL_TEXT_BUFFER, column->name());
            return 0;
        }
        case ZEL_CB_COLUMN_REMOVE: {
            int32_t k = 0;
            return Number(out, 1, kMaxInt, k) && sheet.removeColumn(k) ? 0 : 1;
        }
        case ZEL_CB_COLUMN_ADD:
            sheet.addColumn();
            return 0;
        case ZEL_CB_COLUMN_SET_NAME:
        case ZEL_CB_COLUMN_SET_LABEL: {
            const ZelColumnText* block = Block<const ZelColumnText>(out);
            if (block == nullptr || block->text == nullptr) return 1;
            const bool done = code == ZEL_CB_COLUMN_SET_NAME ? sheet.renameColumn(block->column, block->text)
                                                             : sheet.setLabel(block->column, block->text);
            return done ? 0 : 1;
        }
        case ZEL_CB_COLUMN_SET_FORMAT: {
            const ZelColumnSetFormat* block = Block<const ZelColumnSetFormat>(out);
            if (block == nullptr) return 1;
            return sheet.setFormat(block->column, block->code) ? 0 : 1;
        }
        case ZEL_CB_COLUMN_FORMAT: {
            ZelColumnFormat* block = Block<ZelColumnFormat>(out);
            if (block == nullptr) return 1;
            const Column* column = sheet.column(block->column);
            if (column == nullptr) return 1;
            block->code = column->format();
            return 0;
        }
        case ZEL_CB_SET_ROW_COUNT: {
            int32_t n = 0;
            return Number(out, 0, kMaxInt, n) && sheet.setRowCount(n) ? 0 : 1;
        }
        default:
            return 1;
    }
}

int32_t Host::ServeRow(Worksheet& sheet, intptr_t arg) {
    const ZelRowDescriptor* row = Block<const ZelRowDescriptor>(arg);
    if (row == nullptr || row->tag != ZEL_ROW_TAG) return 1;
    return sheet.appendRow(row->values, row->count) ? 0 : 1;
}

}  // namespace tavrel
