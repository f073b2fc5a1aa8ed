#include "vantir/core/collections.h"

namespace vantir {

namespace {

const QString kChilds = QStringLiteral("childs");

void collectInstances(const Value& value, const QString& className,
                      std::vector<VNTMutableDictionary>& found) {
    if (auto list = value.toArray()) {
        for (const Value& item : *list)
            collectInstances(item, className, found);
        return;
    }
    if (auto dictionary = value.toDictionary()) {
        const VNTMutableDictionary record(dictionary);
        if (record.isKindOfClass(className))
            found.push_back(record);
        for (const auto& entry : *dictionary)
            collectInstances(entry.second, className, found);
    }
}

bool findPath(const Value& container, const Value& object, std::vector<int>& path) {
    if (path.size() >= std::size_t(kMaxIndexPathLength))
        return false;
    if (auto list = container.toArray()) {
        for (std::size_t i = 0; i < list->size(); ++i) {
            const Value& item = (*list)[i];
            path.push_back(int(i));
            if (item.isSameObject(object) || findPath(item, object, path))
                return true;
            path.pop_back();
        }
        return false;
    }
    if (auto dictionary = container.toDictionary()) {
        for (const auto& entry : *dictionary) {
            if (findPath(entry.second, object, path))
                return true;
        }
    }
    return false;
}

} // namespace

void poseVNTAClasses(const Value& container) {
    if (auto list = container.toArray()) {
        for (Value& item : *list) {
            if (auto dictionary = item.toDictionary()) {
                poseVNTAClasses(item);
                item = posedAsVNTAClass(dictionary);
            }
        }
        return;
    }
    if (auto dictionary = container.toDictionary()) {
        for (const auto& entry : *dictionary)
            poseVNTAClasses(entry.second);
    }
}

Value posedAsVNTAClass(const DictionaryRef& dictionary) {
    if (!dictionary)
        return {};
    QString className = QStringLiteral("VNTMutableDictionary");
    auto it = dictionary->find(QStringLiteral("class"));
    if (it != dictionary->end()) {
        // A "class" that is no string names no class; the entry stays a plain dictionary.
        if (it->second.type() != Value::Type::String)
            return dictionary;
        className = it->second.toString();
    }
    if (className == QLatin1String("VNTTriggerSection"))
        className = QStringLiteral("VNTTriggerLayer");
    if (!recordClassNamed(className))
        return dictionary;
    return VNTMutableDictionary::newInstance(className, *dictionary).value();
}

std::vector<VNTMutableDictionary> allInstancesOfClass(const Value& container,
                                                      const QString& className) {
    std::vector<VNTMutableDictionary> found;
    collectInstances(container, className, found);
    return found;
}

DictionaryRef parentDictionaryOf(const Value& container, const Value& object) {
    if (auto list = container.toArray()) {
        for (const Value& item : *list) {
            if (auto parent = parentDictionaryOf(item, object))
                return parent;
        }
        return nullptr;
    }
    auto dictionary = container.toDictionary();
    if (!dictionary)
        return nullptr;
    const Value childs = container[kChilds];
    if (auto list = childs.toArray()) {
        for (const Value& item : *list) {
            if (item.isSameObject(object))
                return dictionary;
        }
    }
    return parentDictionaryOf(childs, object);
}

std::optional<std::vector<int>> indexPathOfObject(const Value& container, const Value& object) {
    std::vector<int> path;
    if (findPath(container, object, path))
        return path;
    return std::nullopt;
}

void removeBuriedObject(const Value& container, const Value& object) {
    if (auto list = container.toArray()) {
        std::erase_if(*list, [&](const Value& item) { return item.isSameObject(object); });
        for (const Value& item : *list)
            removeBuriedObject(item, object);
        return;
    }
    if (auto dictionary = container.toDictionary()) {
        std::erase_if(*dictionary, [&](const auto& entry) {
            const Value& item = entry.second;
            // Only containers are buried objects; equal scalars under other keys stay.
            return (item.type() == Value::Type::Array || item.type() == Value::Type::Dictionary) &&
                   item.isSameObject(object);
        });
        for (const auto& entry : *dictionary)
            removeBuriedObject(entry.second, object);
    }
}

Value firstObject(const ArrayRef& list) {
    if (!list || list->empty())
        return {};
    return list->front();
}

bool containsString(const ArrayRef& list, const QString& string) {
    return indexOfString(list, string) >= 0;
}

int indexOfString(const ArrayRef& list, const QString& string) {
    if (!list)
        return -1;
    for (std::size_t i = 0; i < list->size(); ++i) {
        const Value& item = (*list)[i];
        if (item.type() == Value::Type::String && item.toString() == string)
            return int(i);
    }
    return -1;
}

ArrayRef objectsPerformedBy(const ArrayRef& list,
                            const std::function<Value(const Value&)>& message) {
    auto result = std::make_shared<Array>();
    if (list) {
        for (const Value& item : *list)
            result->push_back(message(item));
    }
    return result;
}

QString firstCapitalizedString(const QString& string) {
    if (string.isEmpty())
        return string;
    return string.left(1).toUpper() + string.mid(1);
}

} // namespace vantir
