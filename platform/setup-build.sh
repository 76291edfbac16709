# Sourced by ./run.sh and ./test.sh: installs what the build and the private
# database need on Debian 12, then configures and builds into ./build.
set -euo pipefail

packages=(
    build-essential cmake ccache pkg-config
    qtbase5-dev qtbase5-dev-tools libqt5sql5-psql qtscript5-dev
    qtmultimedia5-dev libqt5multimedia5-plugins libqt5svg5-dev
    libhunspell-dev hunspell-ru libxlsxwriter-dev zlib1g-dev libpq-dev
    postgresql-15 fonts-dejavu-core
    qttranslations5-l10n qttools5-dev qttools5-dev-tools desktop-file-utils poppler-utils
    python3-openpyxl fonts-crosextra-carlito
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
if (( ${#missing[@]} )); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    (( EUID == 0 )) || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build_type=${WORKPLACE_BUILD_TYPE:-RelWithDebInfo}
cmake -S . -B build -DCMAKE_BUILD_TYPE="$build_type" -DWORKPLACE_WERROR=ON > build-configure.log 2>&1 \
    || { cat build-configure.log; exit 1; }
cmake --build build -j"${WORKPLACE_JOBS:-2}"
