#pragma once

#include <QString>

#include <optional>

namespace handoff {

// The two download managers the program hands items to.
enum class Manager { NetAnts, FlashGet };

inline constexpr Manager kManagers[] = {Manager::NetAnts, Manager::FlashGet};

// The name its service answers to ("NetAnts", "FlashGet").
QString serviceName(Manager manager);
// Its automation class identifier ("{...}").
QString classId(Manager manager);
// Its Chinese name in messages.
QString displayName(Manager manager);

// The manager whose service has this name; nothing for any other name.
std::optional<Manager> managerOfService(const QString &service);
// The manager of a class identifier, in either case; nothing when unknown.
std::optional<Manager> managerOfClassId(const QString &classId);

} // namespace handoff
