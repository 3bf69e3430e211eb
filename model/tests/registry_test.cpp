// The model's registry and the library's name the same codes: a symbology
// added to one and not the other fails here, not in a user's `tavo decode`.
#include <gtest/gtest.h>

#include <set>

#include "model_internal.h"
#include "symbologies/registry.h"

namespace tavo::model::test {
namespace {

TEST(ModelRegistry, CodesEqualTheLibrarys) {
  std::multiset<int32_t> model, library;
  for (const detail::ModelRow& row : detail::ModelRows()) model.insert(row.code);
  for (const tavo::SymbologyInfo& row : tavo::Symbologies()) library.insert(row.code);
  EXPECT_EQ(model, library);
  for (int32_t code : library) {
    const detail::ModelRow* row = detail::FindModelRow(code);
    ASSERT_NE(row, nullptr) << code;
    EXPECT_EQ(row->code, code);
  }
}

}  // namespace
}  // namespace tavo::model::test
