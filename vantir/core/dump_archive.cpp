#include "vantir/core/dump_archive.h"

#include "platform/core/file_io.h"
#include "platform/core/property_list.h"
#include "vantir/core/repository.h"

namespace vantir {

platform::Expected<QByteArray> dumpArchive(const QString& path, ModelContext& model) {
    const auto bytes = platform::readFile(path);
    if (!bytes)
        return platform::Error{bytes.error()};
    auto archive = parseArchive(*bytes);
    if (!archive)
        return platform::Error{QStringLiteral("cannot read %1: %2").arg(path, archive.error())};
    RepositoryServices services;
    services.mode = LoadMode::Inspect;
    VNTRepository repository(model, services);
    repository.adopt(*archive);
    for (const VNTTriggerLayer& layer : repository.layersOfFirstRemote())
        layer.checkOSDBDuplicates(nullptr);
    auto xml = platform::writeXmlPropertyList(Value(repository.libraries()));
    if (!xml)
        return platform::Error{QStringLiteral("cannot write %1 as XML: %2").arg(path, xml.error())};
    return xml;
}

} // namespace vantir
