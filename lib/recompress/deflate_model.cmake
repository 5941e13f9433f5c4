# Deflate streams of any encoder kept as inflated bytes plus a record, rebuilt bit for bit by a
# model of our own (docs/recompress.md). Portable; the extractor links it, so it is built small.
set(uha_deflate_model_dir ${CMAKE_CURRENT_LIST_DIR})
add_library(uha_deflate_model STATIC
  ${uha_deflate_model_dir}/deflate_parse.cpp
  ${uha_deflate_model_dir}/huffman_lengths.cpp
  ${uha_deflate_model_dir}/token_model.cpp
  ${uha_deflate_model_dir}/optimal_plan.cpp
  ${uha_deflate_model_dir}/correction_record.cpp
  ${uha_deflate_model_dir}/deflate_model.cpp
  ${uha_deflate_model_dir}/deflate_rebuild.cpp
  ${uha_deflate_model_dir}/rebuild_work.cpp)
target_link_libraries(uha_deflate_model PUBLIC kelvamo_shared)
if(KELVAMO_WINDOWS)
  target_compile_options(uha_deflate_model PRIVATE ${KELVAMO_SMALL_EXE_FLAGS})
endif()
