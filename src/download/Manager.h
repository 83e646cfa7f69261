#pragma once

#include <QString>

namespace download {

// The two download managers the program hands items to.
enum class Manager { NetAnts, FlashGet };

// The name its service answers to ("NetAnts", "FlashGet").
QString serviceName(Manager manager);
// Its automation class identifier.
QString classId(Manager manager);
// Its Chinese name in messages.
QString displayName(Manager manager);

} // namespace download
