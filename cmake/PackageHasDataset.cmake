# Run by cpack before it packs: a package must hold the default dataset.
# The build's run folder is asked, not the staging folder, which keeps files
# of earlier runs.
if(NOT EXISTS "${CPACK_VOLVIEW_DATASET}")
  message(FATAL_ERROR "volview package: no default dataset ${CPACK_VOLVIEW_DATASET}: "
    "${CPACK_VOLVIEW_DATASET_HINT}")
endif()
