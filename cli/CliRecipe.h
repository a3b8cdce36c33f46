#pragma once

#include "core/model/EditAdjustments.h"

#include <QString>
#include <optional>

// Reads a recipe file for a command, strictly; on failure prints the file and the first problem
// (with its key path) to stderr and returns nothing. Files over 16 MiB are not recipes.
std::optional<EditAdjustments> cliReadRecipe(const QString& path);
