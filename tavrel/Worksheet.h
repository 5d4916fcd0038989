// Worksheets of the stand-in host: tables whose columns are datasets. Each
// column has a name, a label, a format code (0 numeric, 9 text) and its own
// dataset named "<worksheet>_<column>".
#ifndef TAVREL_WORKSHEET_H
#define TAVREL_WORKSHEET_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Dataset.h"

namespace tavrel {

class Host;

enum : int32_t { kFormatNumeric = 0, kFormatText = 9 };

// The default name of column k (1-based): A .. Z, AA .. AZ, BA, ...
std::string DefaultColumnName(int k);

class Column {
public:
    const std::string& name() const { return name_; }
    const std::string& label() const { return label_; }
    int32_t format() const { return format_; }
    Dataset& dataset() { return *dataset_; }
    const Dataset& dataset() const { return *dataset_; }

private:
    friend class Worksheet;
    std::string name_;
    std::string label_;
    int32_t format_ = kFormatNumeric;
    std::unique_ptr<Dataset> dataset_;
};

class Worksheet {
public:
    // Made by Host::CreateWorksheet, which checks the name.
    Worksheet(Host& host, std::string name);

    Worksheet(const Worksheet&) = delete;
    Worksheet& operator=(const Worksheet&) = delete;

    const std::string& name() const { return name_; }
    // The handle of the row request (what the host answers for 0x1003).
    uint32_t handle() const { return handle_; }
    // The layer handle of the column requests (what 0x9001 answers).
    uint32_t layerHandle() const { return layerHandle_; }

    int columnCount() const { return static_cast<int>(columns_.size()); }
    // Column k, 1-based; null when there is none. Columns keep their address
    // until they are removed.
    Column* column(int k);
    const Column* column(int k) const;
    Column* findColumn(const std::string& name);
    // The 1-based number of a column, 0 when it is not in this worksheet.
    int columnNumber(const Dataset& dataset) const;
    // One past the last row of the longest column.
    int32_t rows() const;

    // Adds a column at the end under the first free default name from the
    // new column's number on.
    Column& addColumn();
    bool removeColumn(int k);
    // False for an empty name, a name another column of this worksheet has,
    // or one whose dataset name belongs to a column of another worksheet.
    bool renameColumn(int k, const std::string& name);
    bool setLabel(int k, const std::string& label);
    // Codes 0 (numeric) and 9 (text); others are refused.
    bool setFormat(int k, int32_t code);
    // Every column's extent becomes n rows.
    bool setRowCount(int32_t n);
    // Appends one row below the longest column: value i goes to column i + 1;
    // missing columns are added first.
    bool appendRow(const double* values, std::size_t count);

private:
    std::string datasetName(const std::string& column) const { return name_ + "_" + column; }
    bool nameFree(const std::string& column, const Column* except) const;

    Host& host_;
    std::string name_;
    uint32_t handle_;
    uint32_t layerHandle_;
    std::vector<std::unique_ptr<Column>> columns_;
};

}  // namespace tavrel

#endif  // TAVREL_WORKSHEET_H
