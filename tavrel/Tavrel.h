// The stand-in Tavrel host: everything a test or the script runner needs.
#ifndef TAVREL_TAVREL_H
#define TAVREL_TAVREL_H

#include "Csv.h"
#include "Dataset.h"
#include "Host.h"
#include "NumberText.h"
#include "Table.h"
#include "Worksheet.h"

#endif  // TAVREL_TAVREL_H
