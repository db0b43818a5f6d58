#!/usr/bin/env bash
# The shared library exports the C entry points of include/hxo/hxo.h and the members of the vendor
# interface classes, nothing else.
set -euo pipefail
library=$1
symbols=$(nm -D --defined-only "$library" | awk '{ print $3 }' | c++filt)
entries=(HXO_ExecuteCommands HXO_ExecuteCommandsGetOutput HXO_RunScript HXO_SetPromptInput
  HXO_SetPageLength HXO_SetLineReader HXO_RunCommands HXO_Complete HXO_PendingObjects
  HXO_FreeList HXO_RequestInterrupt HXO_OpenInstallation HXO_CanPlan HXO_GetPlan HXO_WriteSnapshot
  HXO_CheckScript HXO_UnreportedFailure HXO_SetExplain HXO_RehearsalLimits HXO_PrepareUndo
  HXO_WriteUndo HXO_CanApplyPlans HXO_GetPlanRecord HXO_CheckPlanRecord HXO_CheckPlanRecordInPlace
  HXO_RunLeftAsPlanned HXO_RecordScripts HXO_SetOutputFormat)
for entry in "${entries[@]}"; do
  grep -qx "$entry" <<< "$symbols" || { echo "missing export: $entry"; exit 1; }
done
unexpected=$(grep -v -x -F "$(printf '%s\n' "${entries[@]}")" <<< "$symbols" |
  grep -v -E '^((typeinfo|typeinfo name|vtable) for )?(TreeNode|TreeRootHolder|TreeWalker|NameValueAlgorithm|NameValueActionAlgorithm)(::|$)' || true)
if [ -n "$unexpected" ]; then
  echo "unexpected exports:"
  echo "$unexpected"
  exit 1
fi
echo "exports: $(wc -l <<< "$symbols") symbols, all expected"
