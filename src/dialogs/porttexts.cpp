#include "dialogs/porttexts.h"

#include "serial/errors.h"
#include "serial/portnames.h"

#include <QtGlobal>

#include <unistd.h>

#include <map>

namespace tovrix {

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// An ampersand in a device's name would make a second access key in a menu item.
QString menuSafe(QString text) {
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString lastPart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return fromUtf8(slash == std::string::npos ? path : path.substr(slash + 1));
}

const QString kMissing = QStringLiteral("nicht vorhanden");

// Joining the device's group helps only where the group is not root's own
// and its members may read and write the device. Unknown bits count as
// the usual 0660.
bool groupGrantsAccess(const std::string& group, std::optional<unsigned> mode) {
    constexpr unsigned kGroupReadWrite = 060;
    return !group.empty() && group != "root" &&
           (!mode || (*mode & kGroupReadWrite) == kGroupReadWrite);
}

// "crw-------", as ls shows a character device.
QString modeText(unsigned mode) {
    QString text = QStringLiteral("c");
    const char* letters = "rwx";
    for (int bit = 8; bit >= 0; --bit) {
        text += (mode & (1u << bit)) != 0 ? QLatin1Char(letters[(8 - bit) % 3]) : QLatin1Char('-');
    }
    return text;
}

// Where joining a group would not help: only the administrator can grant
// access. Names the owner and the mode, so the administrator sees why.
QString administratorText(const QString& device, const std::string& owner, const std::string& group,
                          unsigned mode) {
    return QStringLiteral(
               "nur der Administrator kann den Zugriff einrichten (z. B. mit einer udev-Regel); "
               "%1 gehört „%2“ (Gruppe „%3“, %4)")
        .arg(device, fromUtf8(owner), fromUtf8(group), modeText(mode));
}

// The cause of a failed open in a few German words; a permission failure
// names the group and what the user has to do about it.
QString causeText(const EComPortCoreError& error) {
    switch (error.Cause()) {
        case PortFailure::NotPresent:
            return QStringLiteral("Gerät nicht vorhanden");
        case PortFailure::NoPermission: {
            const std::optional<NodeOwner> node = nodeOwner(error.Device());
            const std::string group = node ? node->group : error.DeviceGroup();
            if (node && !groupGrantsAccess(group, node->mode)) {
                return QStringLiteral("keine Berechtigung – ") +
                       administratorText(QStringLiteral("das Gerät"), node->owner, group,
                                         node->mode);
            }
            if (group.empty()) {
                return QStringLiteral("keine Berechtigung für Ihr Benutzerkonto");
            }
            return QStringLiteral(
                       "keine Berechtigung – das Gerät gehört der Gruppe „%1“, Ihr Benutzerkonto "
                       "muss Mitglied dieser Gruppe sein (gilt nach einer neuen Anmeldung)")
                .arg(fromUtf8(group));
        }
        case PortFailure::InUse:
            return QStringLiteral("von einem anderen Programm belegt");
        case PortFailure::NotSerial:
            return QStringLiteral("keine serielle Schnittstelle");
        case PortFailure::Other:
            return QStringLiteral("Systemfehler (%1)")
                .arg(error.Errno() != 0 ? qt_error_string(error.Errno())
                                        : QString::fromLocal8Bit(error.what()));
        case PortFailure::HostUnknown:
            return QStringLiteral("Rechner unbekannt oder Adresse ungültig");
        case PortFailure::Refused:
            return QStringLiteral("Verbindung abgelehnt (dort nimmt niemand Verbindungen an)");
        case PortFailure::NoAnswer:
            return QStringLiteral("keine Antwort (Zeitüberschreitung beim Verbinden)");
        case PortFailure::NotRfc2217:
            return QStringLiteral("der Server spricht kein RFC 2217");
        case PortFailure::None:
            break;
    }
    if (!error.Detail().empty()) {
        return QString::fromLocal8Bit(error.what()) + QStringLiteral(": ") +
               fromUtf8(error.Detail());
    }
    return QString::fromLocal8Bit(error.what());
}

QString comList(const std::vector<int>& numbers) {
    QStringList names;
    for (int n : numbers) {
        names << QStringLiteral("COM%1").arg(n);
    }
    return names.join(QStringLiteral(", "));
}

QString accessCell(const SerialPortInfo& port) {
    if (port.mayOpen) {
        return QStringLiteral("ja");
    }
    return port.group.empty() ? QStringLiteral("nein")
                              : QStringLiteral("nein (Gruppe %1)").arg(fromUtf8(port.group));
}

QString holderCell(const SerialPortInfo& port) {
    if (!port.holder) {
        return QStringLiteral("frei");
    }
    const PortHolder& holder = *port.holder;
    if (holder.pid == ::getpid()) {
        return QStringLiteral("von diesem Programm geöffnet");
    }
    if (holder.pid <= 0) {
        return QStringLiteral("belegt");
    }
    return holder.program.empty() ? QStringLiteral("belegt (PID %1)").arg(holder.pid)
                                  : QStringLiteral("belegt von %1 (PID %2)")
                                        .arg(fromUtf8(holder.program), QString::number(holder.pid));
}

}  // namespace

QString comItemText(const ComPortState& com) {
    const QString item = QStringLiteral("COM&%1").arg(com.number);
    if (com.port) {
        return item + QStringLiteral(" – ") + menuSafe(fromUtf8(portLabel(*com.port)));
    }
    if (!com.linked) {
        return item;
    }
    if (com.present) {
        return item + QStringLiteral(" – ") + menuSafe(fromUtf8(com.devicePath));
    }
    return item + QStringLiteral(" – ") + menuSafe(lastPart(com.devicePath)) +
           QStringLiteral(" (") + kMissing + QLatin1Char(')');
}

QString comToolTip(const ComPortState& com) {
    const QString path = fromUtf8(com.devicePath);
    if (com.port) {
        return com.port->devicePath == com.devicePath
                   ? path
                   : path + QStringLiteral(" → ") + fromUtf8(com.port->devicePath);
    }
    return com.present ? path : path + QStringLiteral(" (") + kMissing + QLatin1Char(')');
}

QString comPathText(const ComPortState& com) {
    const QString path = fromUtf8(com.devicePath);
    return com.linked ? path : path + QStringLiteral(" (Vorgabe)");
}

QString comDeviceText(const ComPortState& com) {
    if (com.port) {
        const QString label = fromUtf8(portLabel(*com.port));
        return com.port->mayOpen ? label : label + QStringLiteral(" – kein Zugriff");
    }
    if (com.network) {
        return QStringLiteral("Netzwerk-Port");
    }
    // A default port without a chip behind it has a node, but nothing to talk to.
    const QString device = com.linked && com.present ? QStringLiteral("vorhanden") : kMissing;
    return com.present && !com.mayOpen ? device + QStringLiteral(" – kein Zugriff") : device;
}

QStringList deviceColumnTitles() {
    return {QStringLiteral("Gerät"),
            QStringLiteral("Hersteller"),
            QStringLiteral("Modell"),
            QStringLiteral("Seriennummer"),
            QStringLiteral("Treiber"),
            QStringLiteral("Zugriff"),
            QStringLiteral("Belegt"),
            QStringLiteral("COM"),
            QStringLiteral("Stabiler Name in /dev/serial/by-id")};
}

QStringList deviceRowTexts(const SerialPortInfo& port) {
    return {fromUtf8(port.devicePath), fromUtf8(port.vendor),
            fromUtf8(port.model),      fromUtf8(port.serialNumber),
            fromUtf8(port.driver),     accessCell(port),
            holderCell(port),          comList(port.comNumbers),
            lastPart(port.byIdPath)};
}

QString accessRemedy(const std::vector<SerialPortInfo>& ports) {
    // One paragraph per group whose members may use its devices, naming
    // them: usually all of them are dialout's. Devices no group opens get
    // a paragraph each, for the administrator.
    std::map<std::string, QStringList> byGroup;
    QStringList paragraphs;
    for (const SerialPortInfo& port : ports) {
        if (port.mayOpen) {
            continue;
        }
        if (port.mode && !groupGrantsAccess(port.group, port.mode)) {
            paragraphs << QStringLiteral("Kein Zugriff auf %1: ").arg(fromUtf8(deviceName(port))) +
                              administratorText(QStringLiteral("das Gerät"),
                                                port.owner.empty() ? "root" : port.owner,
                                                port.group, *port.mode) +
                              QLatin1Char('.');
            continue;
        }
        byGroup[port.group] << fromUtf8(deviceName(port));
    }
    for (const auto& [group, devices] : byGroup) {
        const QString names = devices.join(QStringLiteral(", "));
        if (group.empty()) {
            paragraphs << QStringLiteral(
                              "Kein Zugriff auf %1: Ihr Benutzerkonto darf das Gerät nicht "
                              "öffnen. Abhilfe: Mitgliedschaft in der Gruppe, der das Gerät "
                              "gehört; sie gilt erst nach einer neuen Anmeldung.")
                              .arg(names);
            continue;
        }
        const QString name = fromUtf8(group);
        paragraphs << QStringLiteral(
                          "Kein Zugriff auf %1: Das Gerät gehört der Gruppe „%2“, und Ihr "
                          "Benutzerkonto ist (noch) nicht Mitglied. Abhilfe: sudo usermod -aG %2 "
                          "$USER – die Mitgliedschaft gilt erst nach einer neuen Anmeldung "
                          "(abmelden und wieder anmelden).")
                          .arg(names, name);
    }
    return paragraphs.join(QStringLiteral("\n"));
}

QString assignedText(int n, const std::string& target) {
    return QStringLiteral("COM%1 zeigt jetzt auf %2.").arg(QString::number(n), fromUtf8(target));
}

QString clearedText(int n) {
    return QStringLiteral("COM%1 hat keine Zuordnung mehr und ist wieder %2.")
        .arg(QString::number(n), fromUtf8(comDevicePath(n)));
}

QString linkFailureText(int n, std::error_code error) {
    if (error == std::errc::file_exists) {
        return QStringLiteral(
                   "COM%1 bleibt unverändert: %2 ist keine Verknüpfung; bitte von Hand prüfen.")
            .arg(QString::number(n), fromUtf8(comLinkPath(n)));
    }
    return QStringLiteral("COM%1 bleibt unverändert: %2 (%3).")
        .arg(QString::number(n), QString::fromLocal8Bit(error.message().c_str()),
             fromUtf8(comLinkPath(n)));
}

QString openFailureText(int n, const std::exception& error) {
    const auto* core = dynamic_cast<const EComPortCoreError*>(&error);
    const QString cause = core != nullptr ? causeText(*core) : QString::fromLocal8Bit(error.what());
    const QString port =
        core != nullptr && !core->Device().empty()
            ? QStringLiteral("COM%1 (%2)").arg(QString::number(n), fromUtf8(core->Device()))
            : portNameText(n);
    return QStringLiteral("%1 lässt sich nicht öffnen: %2").arg(port, cause);
}

QString portNameText(int n) {
    return QStringLiteral("COM%1 (%2)").arg(QString::number(n), fromUtf8(comDevicePath(n)));
}

}  // namespace tovrix
