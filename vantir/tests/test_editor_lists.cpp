// The editor's list models: single edits keep the view's rows, drags carry what they should.

#include "vantir/app/editor_lists.h"
#include "vantir/tests/model_fixture.h"

#include <QSignalSpy>

namespace vantir {
namespace {

using testing::str;

class RecordListModelTest : public testing::ModelTest {
protected:
    RecordListModelTest() {
        for (const char* name : {"One", "Two", "Three"})
            list->push_back(record(name));
        model.dragData = [](const VNTMutableDictionary& record, int) {
            return record.stringForKey(str("name")).toUtf8();
        };
        model.dropped = [this](const QMimeData* data, int row, int onto) {
            drops.emplace_back(draggedRowFrom(data, &model), row, onto);
            return true;
        };
        model.refresh();
    }
    static Value record(const char* name) {
        return VNTMutableDictionary::newInstance(str("VNTMutableDictionary"),
                                                 {{str("name"), str(name)}})
            .value();
    }

    ArrayRef list = std::make_shared<Array>();
    RecordListModel model{[this] { return list; }, str("VNTItemDataType")};
    std::vector<std::tuple<int, int, int>> drops;
};

TEST_F(RecordListModelTest, OneRowAddedOrRemovedIsNoReset) {
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    list->insert(list->begin() + 1, record("New"));
    model.refresh();
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 1);
    EXPECT_EQ(model.data(model.index(1), Qt::DisplayRole).toString(), str("New"));
    list->erase(list->begin() + 3);
    model.refresh();
    ASSERT_EQ(removed.size(), 1);
    EXPECT_EQ(removed[0][1].toInt(), 3);
    EXPECT_EQ(resets.size(), 0);
    // Another order is shown afresh.
    std::swap((*list)[0], (*list)[2]);
    model.refresh();
    EXPECT_EQ(resets.size(), 1);
    EXPECT_EQ(model.data(model.index(0), Qt::DisplayRole).toString(), str("Two"));
}

TEST_F(RecordListModelTest, DragsCarryTheItemAndARowOnlyThisListUnderstands) {
    std::unique_ptr<QMimeData> data(model.mimeData({model.index(2)}));
    ASSERT_TRUE(data);
    EXPECT_EQ(data->data(str("VNTItemDataType")), QByteArray("Three"));
    EXPECT_EQ(draggedRowFrom(data.get(), &model), 2);
    RecordListModel other([this] { return list; }, str("VNTItemDataType"));
    EXPECT_EQ(draggedRowFrom(data.get(), &other), -1);

    EXPECT_TRUE(model.canDropMimeData(data.get(), Qt::MoveAction, 0, 0, {}));
    model.dropMimeData(data.get(), Qt::MoveAction, 0, 0, {});
    EXPECT_EQ(drops, (std::vector<std::tuple<int, int, int>>{{2, 0, -1}}));
    QMimeData foreign;
    foreign.setText(str("text"));
    EXPECT_FALSE(model.canDropMimeData(&foreign, Qt::MoveAction, 0, 0, {}));
    EXPECT_FALSE(model.dropMimeData(&foreign, Qt::MoveAction, 0, 0, {}));
    EXPECT_EQ(drops.size(), 1u);
}

} // namespace
} // namespace vantir
