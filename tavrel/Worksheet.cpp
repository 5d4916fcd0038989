#include "Worksheet.h"

#include <algorithm>

#include "Host.h"
#include "NumberText.h"

namespace tavrel {

std::string DefaultColumnName(int k) {
    std::string name;
    for (; k > 0; k = (k - 1) / 26) name.insert(name.begin(), static_cast<char>('A' + (k - 1) % 26));
    return name;
}

Worksheet::Worksheet(Host& host, std::string name)
    : host_(host), name_(std::move(name)), handle_(NewHandle()), layerHandle_(NewHandle()) {}

Column* Worksheet::column(int k) {
    if (k < 1 || k > columnCount()) return nullptr;
    return columns_[static_cast<std::size_t>(k - 1)].get();
}

const Column* Worksheet::column(int k) const {
    if (k < 1 || k > columnCount()) return nullptr;
    return columns_[static_cast<std::size_t>(k - 1)].get();
}

Column* Worksheet::findColumn(const std::string& name) {
    for (auto& column : columns_) {
        if (SameName(column->name_, name)) return column.get();
    }
    return nullptr;
}

int Worksheet::columnNumber(const Dataset& dataset) const {
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (columns_[i]->dataset_.get() == &dataset) return static_cast<int>(i) + 1;
    }
    return 0;
}

int32_t Worksheet::rows() const {
    int32_t rows = 0;
    for (const auto& column : columns_) rows = std::max(rows, column->dataset_->upper());
    return rows;
}

bool Worksheet::nameFree(const std::string& column, const Column* except) const {
    // A column's dataset is named after its sheet and itself, so two columns
    // of this sheet share a name exactly when their datasets do.
    const Dataset* own = except != nullptr ? except->dataset_.get() : nullptr;
    return !host_.ColumnDatasetNamed(datasetName(column), own);
}

Column& Worksheet::addColumn() {
    int k = columnCount() + 1;
    std::string name = DefaultColumnName(k);
    while (!nameFree(name, nullptr)) name = DefaultColumnName(++k);
    host_.DropFreeDataset(datasetName(name));
    auto column = std::make_unique<Column>();
    column->name_ = name;
    column->dataset_ = std::make_unique<Dataset>(NewHandle(), datasetName(name), false);
    host_.NoteColumnDataset(column->dataset_->name(), true);
    columns_.push_back(std::move(column));
    return *columns_.back();
}

bool Worksheet::removeColumn(int k) {
    if (column(k) == nullptr) return false;
    host_.NoteColumnDataset(column(k)->dataset_->name(), false);
    columns_.erase(columns_.begin() + (k - 1));
    return true;
}

bool Worksheet::renameColumn(int k, const std::string& name) {
    Column* target = column(k);
    if (target == nullptr || name.empty() || !nameFree(name, target)) return false;
    host_.DropFreeDataset(datasetName(name));
    target->name_ = name;
    host_.NoteColumnDataset(target->dataset_->name(), false);
    target->dataset_->rename(datasetName(name));
    host_.NoteColumnDataset(target->dataset_->name(), true);
    return true;
}

bool Worksheet::setLabel(int k, const std::string& label) {
    Column* target = column(k);
    if (target == nullptr) return false;
    target->label_ = label;
    return true;
}

bool Worksheet::setFormat(int k, int32_t code) {
    Column* target = column(k);
    if (target == nullptr || (code != kFormatNumeric && code != kFormatText)) return false;
    target->format_ = code;
    target->dataset_->convert(code == kFormatText);
    return true;
}

bool Worksheet::setRowCount(int32_t n) {
    if (n < 0 || static_cast<std::size_t>(n) > Dataset::kMaxCells) return false;
    for (auto& column : columns_) column->dataset_->resize(n);
    return true;
}

bool Worksheet::appendRow(const double* values, std::size_t count) {
    if (count > 0 && values == nullptr) return false;
    const int32_t row = rows();
    if (static_cast<std::size_t>(row) >= Dataset::kMaxCells) return false;
    while (static_cast<std::size_t>(columnCount()) < count) addColumn();
    for (std::size_t i = 0; i < count; ++i) {
        Dataset& dataset = *columns_[i]->dataset_;
        dataset.set(static_cast<std::size_t>(row), values[i]);
        dataset.extendTo(row + 1);
    }
    return true;
}

}  // namespace tavrel
