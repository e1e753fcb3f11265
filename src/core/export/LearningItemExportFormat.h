#pragma once

#include <QString>

// The two file formats the collection can be exported to.
enum class LearningItemExportFormat { json, xlsx };

// "json" or "xlsx", without the dot.
QString fileExtension(LearningItemExportFormat format);
