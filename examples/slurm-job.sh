#!/bin/sh
# A Slurm job array that searches the instructions in 16 parts, one array task each:
#   sbatch slurm-job.sh
# and, when every task has ended, joins them into result.csv:
#   sh join-parts.sh 16 result.csv
# Each task searches on the CPUs Slurm gave it (one here), so that tasks sharing a
# machine do not slow each other down.
#SBATCH --job-name=qrlx
#SBATCH --array=1-16
#SBATCH --cpus-per-task=1
qrlx-batch map.csv drf.csv "part$SLURM_ARRAY_TASK_ID-of-$SLURM_ARRAY_TASK_COUNT.csv" \
    --part "$SLURM_ARRAY_TASK_ID/$SLURM_ARRAY_TASK_COUNT" \
    --threads "${SLURM_CPUS_PER_TASK:-1}" --warnings "log$SLURM_ARRAY_TASK_ID.txt"
