#pragma once

#include "vantir/core/record.h"

#include <optional>
#include <vector>

namespace vantir {

/// Operations on nested lists and dictionaries of records. Each descends through nested lists
/// and dictionaries; objects are found by identity (`Value::isSameObject`).

/// Restores classes in place: each list element that is a dictionary first restores its own
/// contents, then is replaced by its restored form. Dictionary values are restored inside but
/// not replaced.
void poseVNTAClasses(const Value& container);
/// The restored form of `dictionary`: a new instance of the class named by its "class"
/// ("VNTTriggerSection" is a layer, no class is a generic record), or `dictionary` itself when
/// the model has no such class.
Value posedAsVNTAClass(const DictionaryRef& dictionary);

/// Every record of `className` (or a subclass) inside `container`, the container itself
/// included when it is one, in depth-first order.
std::vector<VNTMutableDictionary> allInstancesOfClass(const Value& container,
                                                      const QString& className);

/// The dictionary whose "childs" holds `object`, searching "childs" lists only.
DictionaryRef parentDictionaryOf(const Value& container, const Value& object);

/// Deepest index path that `indexPathOfObject` answers.
inline constexpr int kMaxIndexPathLength = 9;
/// The positions leading from `container` down to `object`: lists add the element's index,
/// dictionaries pass the question to their values and add nothing. Nothing when absent or
/// deeper than `kMaxIndexPathLength`.
std::optional<std::vector<int>> indexPathOfObject(const Value& container, const Value& object);

/// Removes `object` from every list and dictionary it lies in, however deep.
void removeBuriedObject(const Value& container, const Value& object);

/// The first element, or none when the list is empty or null.
Value firstObject(const ArrayRef& list);
bool containsString(const ArrayRef& list, const QString& string);
/// Index of the first string element equal to `string`, or -1; other elements are skipped.
int indexOfString(const ArrayRef& list, const QString& string);
/// A new list of each element's answer to `message`.
ArrayRef objectsPerformedBy(const ArrayRef& list,
                            const std::function<Value(const Value&)>& message);

/// `string` with its first character upper-cased and the rest unchanged.
QString firstCapitalizedString(const QString& string);

} // namespace vantir
