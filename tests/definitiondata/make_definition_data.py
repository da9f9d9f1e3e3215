#!/usr/bin/env python3
"""Writes the ECU definition files under data/ from the one table below, so that
DID numbers, sub-field order and every numeric attribute are the same in all
five languages; only names, units and descriptions differ. Not shipped; run it
after editing a table:

    python3 tests/definitiondata/make_definition_data.py [--out FOLDER]

Rows whose names the program recognises (equipment flags, pressure channels)
take their texts from the language table's row scripts, so the two files can
never drift apart.
"""
import os
import sys

sys.dont_write_bytecode = True  # keep the source folder clean
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "languagedata"))
import rows_a, rows_b, rows_c, rows_d  # noqa: E402

DATA = os.path.join(HERE, "..", "..", "data")
if len(sys.argv) == 3 and sys.argv[1] == "--out":  # write elsewhere (to compare with data/)
    DATA = sys.argv[2]
SUFFIXES = ("_zh", "_en", "_russian", "_spanish", "_portug")

ROWS = {}
for _m in (rows_a, rows_b, rows_c, rows_d):
    ROWS.update(_m.ROWS)


def T(n):
    """Language-table row n in file-suffix order (zh, en, ru, es, pt)."""
    en, zh, ru, es, pt = ROWS[n]
    return (zh, en, ru, es, pt)


def L(en, zh, ru, es, pt):
    """A text of ours in file-suffix order."""
    return (zh, en, ru, es, pt)


SAME = lambda s: (s, s, s, s, s)  # noqa: E731
NONE = SAME("")


def esc(text):
    return (text.replace("&", "&amp;").replace("<", "&lt;")
            .replace(">", "&gt;").replace('"', "&quot;"))


def num(x):
    if isinstance(x, float):
        text = repr(x)
        return text[:-2] if text.endswith(".0") else text
    return str(x)


def write(path, lines):
    full = os.path.join(DATA, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


# ---- sub-fields -----------------------------------------------------------------
# F(name, byte, start, bits, conversion, offset, type, unit, decimals, description)

class F:
    def __init__(self, name, byte, start, bits, conv=1, offset=0, dtype="Unsigned",
                 unit=NONE, dec=0, desc=NONE, level="0"):
        self.name, self.byte, self.start, self.bits = name, byte, start, bits
        self.conv, self.offset, self.dtype = conv, offset, dtype
        self.unit = unit if isinstance(unit, tuple) else SAME(unit)
        self.dec, self.desc, self.level = dec, desc, level


def flag(row, byte, desc, start=0, bits=8):
    """A row the program recognises by its name: value shown as a plain count."""
    return F(T(row), byte, start, bits, 1, 0, "Unsigned", NONE, 0, desc)


def did_lines(number, name, rw, fields, lang, kind="basic"):
    out = ['    <DID DidNumber="%s" name="%s" RWType="%s">' % (number, esc(name[lang]), rw)]
    for f in fields:
        if kind == "connector":
            ident, abbreviation = f.name
            attrs = [("SubDataID", ident)]
        else:
            attrs = [("SubDataName", f.name[lang])]
        attrs += [("ByteIndex", num(f.byte)), ("StartBit", num(f.start)), ("BitLenth", num(f.bits)),
                  ("Conversion", num(f.conv)), ("Offset", num(f.offset)), ("DataType", f.dtype),
                  ("SecurityLeve", f.level), ("Unit", f.unit[lang])]
        if kind in ("basic", "lifting", "monitor", "connector"):
            attrs.append(("DecimalValid", num(f.dec)))
        if kind in ("basic", "lifting", "connector"):
            attrs.append(("Description", f.desc[lang]))
        if kind == "connector":
            attrs.append(("Abbreviation", abbreviation))
        out.append("      <SUB-DATA %s/>" % " ".join('%s="%s"' % (k, esc(v)) for k, v in attrs))
    out.append("    </DID>")
    return out


def definition_file(path, records, lang, kind):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', "<PARAMETER-CONFIGURATION>", "  <DID-DEF>"]
    for number, name, rw, fields in records:
        lines += did_lines(number, name, rw, fields, lang, kind)
    lines += ["  </DID-DEF>", "</PARAMETER-CONFIGURATION>"]
    write(path, lines)


# ---- identification (stored parameters) -------------------------------------------

def ascii_field(name, bits):
    return [F(name, 0, 0, bits, 1, 0, "ASCII")]


STORED = [
    ("F18A", L("System Supplier", "系统供应商", "Поставщик системы", "Proveedor del sistema", "Fornecedor do sistema"),
     "R", ascii_field(L("Supplier ID", "供应商代码", "Код поставщика", "Código del proveedor", "Código do fornecedor"), 32)),
    ("F192", L("ECU Hardware Number", "ECU硬件号", "Номер аппаратной части ЭБУ", "Número de hardware de la ECU", "Número de hardware da ECU"),
     "R", ascii_field(L("Hardware Number", "硬件号", "Номер аппаратной части", "Número de hardware", "Número de hardware"), 96)),
    ("F193", L("ECU Hardware Version", "ECU硬件版本", "Версия аппаратной части ЭБУ", "Versión de hardware de la ECU", "Versão de hardware da ECU"),
     "R", ascii_field(L("Hardware Version", "硬件版本", "Версия аппаратной части", "Versión de hardware", "Versão de hardware"), 48)),
    ("F194", L("ECU Software Number", "ECU软件号", "Номер программы ЭБУ", "Número de software de la ECU", "Número de software da ECU"),
     "R", ascii_field(L("Software Number", "软件号", "Номер программы", "Número de software", "Número de software"), 88)),
    ("F195", L("ECU Software Version", "ECU软件版本", "Версия программы ЭБУ", "Versión de software de la ECU", "Versão de software da ECU"),
     "R", ascii_field(L("Software Version", "软件版本", "Версия программы", "Versión de software", "Versão de software"), 48)),
    ("F197", L("Brake System Form", "制动系统形式", "Схема тормозной системы", "Configuración del sistema de freno", "Configuração do sistema de freio"),
     "R", ascii_field(L("System Form", "系统形式", "Схема системы", "Configuración", "Configuração"), 32)),
    ("F1F4", L("Supplier Identification", "供应商识别码", "Идентификатор поставщика", "Identificación del proveedor", "Identificação do fornecedor"),
     "R", ascii_field(L("Identification", "识别码", "Идентификатор", "Identificación", "Identificação"), 64)),
    ("F1F5", L("Calibration Version", "标定版本", "Версия калибровки", "Versión de calibración", "Versão de calibração"),
     "R", ascii_field(L("Calibration Version", "标定版本", "Версия калибровки", "Versión de calibración", "Versão de calibração"), 16)),
]

# ---- basic parameters ------------------------------------------------------------------

VIN_RECORD = ("F190", L("Vehicle Identification Number", "车辆识别号", "Идентификационный номер ТС", "Número de identificación del vehículo", "Número de identificação do veículo"),
              "RW", [F(L("VIN", "车辆识别号", "VIN", "VIN", "VIN"), 0, 0, 136, 1, 0, "ASCII")])

D_COUNT = L("Number of axles of the trailer, 1 to 5", "挂车车桥数量，1至5", "Число осей прицепа, от 1 до 5", "Número de ejes del remolque, de 1 a 5", "Número de eixos do reboque, de 1 a 5")
D_CODE = L("Configuration code", "配置代码", "Код конфигурации", "Código de configuración", "Código de configuração")
D_ONOFF = L("1 = not fitted, 2 = fitted", "1 = 未安装，2 = 已安装", "1 = нет, 2 = установлено", "1 = no montado, 2 = montado", "1 = não montado, 2 = montado")
D_BIT = L("0 = no, 1 = yes", "0 = 否，1 = 是", "0 = нет, 1 = да", "0 = no, 1 = sí", "0 = não, 1 = sim")
D_AXLE = L("Axle number, 0 = none", "车桥编号，0 = 无", "Номер оси, 0 = нет", "Número de eje, 0 = ninguno", "Número do eixo, 0 = nenhum")
D_FUNC = L("Output function code", "输出功能代码", "Код функции выхода", "Código de función de la salida", "Código de função da saída")
D_SPEED = L("Switching speed", "切换车速", "Скорость переключения", "Velocidad de conmutación", "Velocidade de comutação")
D_LOAD = L("Static axle load", "静态轴荷", "Статическая нагрузка на ось", "Carga estática del eje", "Carga estática do eixo")
D_RES = L("Not used, always 0", "未使用，始终为0", "Не используется, всегда 0", "Sin uso, siempre 0", "Sem uso, sempre 0")
D_SUM = L("Sum of all bytes before it, modulo 256", "前面所有字节之和，模256", "Сумма всех предыдущих байтов по модулю 256", "Suma de todos los bytes anteriores, módulo 256", "Soma de todos os bytes anteriores, módulo 256")
CHECKSUM = L("Checksum", "校验和", "Контрольная сумма", "Suma de control", "Soma de verificação")

BAR = SAME("bar")
MM = SAME("mm")
TONNES = SAME("t")

RESERVED = L("Reserved", "预留", "Резерв", "Reservado", "Reservado")
D_TRAILER = L("1 = semi-trailer, 2 = drawbar trailer, 3 = centre-axle trailer", "1 = 半挂车，2 = 全挂车，3 = 中置轴挂车", "1 = полуприцеп, 2 = прицеп с дышлом, 3 = прицеп с центральной осью", "1 = semirremolque, 2 = remolque de lanza, 3 = remolque de eje central", "1 = semirreboque, 2 = reboque com lança, 3 = reboque de eixo central")
D_SUSPENSION = L("1 = air, 2 = mechanical", "1 = 空气悬架，2 = 机械悬架", "1 = пневматическая, 2 = механическая", "1 = neumática, 2 = mecánica", "1 = pneumática, 2 = mecânica")
D_SENSING = L("1 = mechanical, 2 = electronic", "1 = 机械式，2 = 电子式", "1 = механическое, 2 = электронное", "1 = mecánica, 2 = electrónica", "1 = mecânica, 2 = eletrônica")
D_PLATE_PRESSURE = L("Control pressure printed on the plate", "铭牌上的控制压力", "Управляющее давление на табличке", "Presión de control de la placa", "Pressão de controle da placa")
D_PLATE_LOAD = L("Axle load printed on the plate", "铭牌上的轴荷", "Нагрузка на ось на табличке", "Carga por eje de la placa", "Carga por eixo da placa")
D_CHAMBER = L("Brake chamber size, 0 = no axle", "制动气室规格，0 = 无车桥", "Размер тормозной камеры, 0 = нет оси", "Tamaño de la cámara de freno, 0 = sin eje", "Tamanho da câmara de freio, 0 = sem eixo")
D_TYRE = L("Rolling circumference of the tyres", "轮胎滚动周长", "Длина окружности качения шин", "Circunferencia de rodadura", "Circunferência de rolamento")
D_TEETH = L("Teeth of the exciter ring", "齿圈齿数", "Число зубьев ротора датчика", "Dientes de la rueda fónica", "Dentes da roda fônica")
D_LOCK = L("1 = not fitted, 2 = fitted", "1 = 未安装，2 = 已安装", "1 = нет, 2 = установлено", "1 = no montado, 2 = montado", "1 = não montado, 2 = montado")

# (row, bits, conversion, unit, decimals, description), in block order.
PLATE_FIELDS = [
    (356, 8, 1, NONE, 0, D_TRAILER),
    (357, 8, 1, NONE, 0, D_SUSPENSION),
    (361, 8, 1, NONE, 0, D_SENSING),
    (368, 16, 0.001, BAR, 2, D_PLATE_PRESSURE),
    (369, 16, 0.001, BAR, 2, D_PLATE_PRESSURE),
    (370, 8, 0.1, TONNES, 1, D_PLATE_LOAD),
    (371, 8, 0.1, TONNES, 1, D_PLATE_LOAD),
] + [(row, 8, 1, NONE, 0, D_CHAMBER) for row in range(411, 416)] + [
    (508, 16, 1, MM, 0, D_TYRE),
    (509, 16, 1, MM, 0, D_TYRE),
    (510, 8, 1, NONE, 0, D_TEETH),
    (511, 8, 1, NONE, 0, D_TEETH),
    (586, 8, 1, NONE, 0, D_LOCK),
]


def calibration_fields(with_service_interval):
    f = [
        flag(318, 0, D_COUNT),
        flag(315, 1, D_CODE),
        flag(316, 2, D_CODE),
        flag(317, 3, L("1 = height sensor on axle c-d", "1 = c-d桥高度传感器", "1 = датчик высоты на оси c-d", "1 = sensor de altura en el eje c-d", "1 = sensor de altura no eixo c-d")),
        flag(569, 4, L("2 = height sensor on axle e-f", "2 = e-f桥高度传感器", "2 = датчик высоты на оси e-f", "2 = sensor de altura en el eje e-f", "2 = sensor de altura no eixo e-f")),
        flag(172, 5, D_ONOFF),
        flag(579, 6, D_ONOFF),
        flag(349, 7, D_CODE),
        flag(360, 8, D_CODE),
        flag(364, 9, D_CODE),
        flag(170, 10, D_CODE),
    ]
    # One byte per axle: five one-bit flags and three reserved bits.
    for k in range(5):
        base = 319 + 6 * k
        byte = 11 + k
        for bit in range(5):
            f.append(flag(base + bit, byte, D_BIT, bit, 1))
        f.append(flag(base + 5, byte, D_RES, 5, 3))
    for k, row in enumerate(range(416, 421)):
        f.append(F(T(row), 16 + k, 0, 8, 1, 0, "Unsigned", SAME("t"), 0, D_LOAD))
    for k, row in enumerate(range(599, 623)):
        desc = D_SPEED if row in (619, 620, 622) else (D_AXLE if row <= 606 else D_FUNC)
        unit = SAME("km/h") if row in (619, 620, 622) else NONE
        f.append(F(T(row), 21 + k, 0, 8, 1, 0, "Unsigned", unit, 0, desc))
    f += [
        F(T(421), 45, 0, 16, 0.001, 0, "Unsigned", BAR, 2, L("Control pressure at full load", "满载时的控制压力", "Управляющее давление с грузом", "Presión de control a plena carga", "Pressão de controle a plena carga")),
        F(T(422), 47, 0, 16, 0.001, 0, "Unsigned", BAR, 2, L("Control pressure when empty", "空载时的控制压力", "Управляющее давление без груза", "Presión de control en vacío", "Pressão de controle vazio")),
        F(T(423), 49, 0, 16, 0.001, 0, "Unsigned", BAR, 2, L("Air bellows pressure at full load", "满载时的气囊压力", "Давление в пневмобаллонах с грузом", "Presión de fuelles a plena carga", "Pressão das bolsas a plena carga")),
        F(T(424), 51, 0, 16, 0.001, 0, "Unsigned", BAR, 2, L("Air bellows pressure when empty", "空载时的气囊压力", "Давление в пневмобаллонах без груза", "Presión de fuelles en vacío", "Pressão das bolsas vazio")),
        F(T(425), 53, 0, 16, 1, 0, "Unsigned", MM, 0, L("Normal ride height of axle c-d", "c-d桥正常行驶高度", "Нормальная высота оси c-d", "Altura normal del eje c-d", "Altura normal do eixo c-d")),
        F(T(426), 55, 0, 16, 1, 0, "Unsigned", MM, 0, L("Normal ride height of axle e-f", "e-f桥正常行驶高度", "Нормальная высота оси e-f", "Altura normal del eje e-f", "Altura normal do eixo e-f")),
        F(T(427), 57, 0, 16, 1, 0, "Unsigned", MM, 0, L("Rolling circumference of the tyres", "轮胎滚动周长", "Длина окружности качения шин", "Circunferencia de rodadura", "Circunferência de rolamento")),
        F(T(428), 59, 0, 8, 1, 0, "Unsigned", NONE, 0, L("Teeth of the exciter ring", "齿圈齿数", "Число зубьев ротора датчика", "Dientes de la rueda fónica", "Dentes da roda fônica")),
        F(L("Low Voltage Warning (V)", "低电压报警(V)", "Порог низкого напряжения (В)", "Aviso de baja tensión (V)", "Aviso de baixa tensão (V)"),
          60, 0, 8, 0.1, 0, "Unsigned", SAME("V"), 1, L("Supply voltage below which the warning lamp lights", "低于此电压时报警灯点亮", "Напряжение, ниже которого горит лампа", "Tensión por debajo de la cual se enciende el testigo", "Tensão abaixo da qual a lâmpada acende")),
    ]
    last = 61
    if with_service_interval:
        f.append(F(L("Service Interval (km)", "保养里程间隔(km)", "Интервал обслуживания (км)", "Intervalo de servicio (km)", "Intervalo de serviço (km)"),
                   61, 0, 32, 1, 0, "Unsigned", SAME("km"), 0, L("Distance between two services", "两次保养之间的里程", "Пробег между обслуживаниями", "Distancia entre dos servicios", "Distância entre duas revisões")))
        last = 65
    # The values of the braking-system plate. Byte 66 is reserved: the system
    # tag reads a field there most significant byte first and hides short ones.
    for row, bits, conv, unit, dec, desc in PLATE_FIELDS:
        if last == 66:
            f.append(F(RESERVED, 66, 0, 8, 1, 0, "Unsigned", NONE, 0, D_RES))
            last = 67
        f.append(F(T(row), last, 0, bits, conv, 0, "Unsigned", unit, dec, desc))
        last += bits // 8
    f.append(F(CHECKSUM, last, 0, 8, 1, 0, "Unsigned", NONE, 0, D_SUM))
    return f


CALIBRATION_NAME = L("Calibration Parameters", "Calibration Parameters", "Calibration Parameters", "Calibration Parameters", "Calibration Parameters")
EOL_RECORD = ("0094", L("End-of-Line Marker", "下线标记", "Отметка конечного контроля", "Marca de fin de línea", "Marca de fim de linha"), "R",
              [F(L("End-of-Line Test Passed", "下线检测通过", "Конечный контроль пройден", "Prueba de fin de línea superada", "Teste de fim de linha aprovado"),
                 0, 0, 8, 1, 0, "Unsigned", NONE, 0, D_BIT)])


def basic_records(mapped):
    return [VIN_RECORD, ("00A0", CALIBRATION_NAME, "RW", calibration_fields(mapped)), EOL_RECORD]


# ---- monitor ---------------------------------------------------------------------------

KMH = SAME("km/h")
MONITOR = [
    ("0050", L("Wheel Speeds", "轮速", "Скорости колёс", "Velocidades de rueda", "Velocidades das rodas"), "R",
     [F(L("Wheel Speed %s" % w, "%s轮速" % w, "Скорость колеса %s" % w, "Velocidad rueda %s" % w, "Velocidade roda %s" % w),
        2 * k, 0, 16, 0.01, 0, "Unsigned", KMH, 1) for k, w in enumerate(("c", "d", "e", "f"))]),
    ("0051", L("Demand Pressure", "需求压力", "Давление управления", "Presión de demanda", "Pressão de demanda"), "R",
     [F(T(406), 0, 0, 16, 0.001, 0, "Unsigned", BAR, 2)]),
    ("0052", L("Brake Pressures Modulator 1", "调节器1制动压力", "Давления модулятора 1", "Presiones del modulador 1", "Pressões do modulador 1"), "R",
     [F(T(404), 0, 0, 16, 0.001, 0, "Unsigned", BAR, 2), F(T(405), 2, 0, 16, 0.001, 0, "Unsigned", BAR, 2)]),
    ("0053", L("Brake Pressures Modulator 2", "调节器2制动压力", "Давления модулятора 2", "Presiones del modulador 2", "Pressões do modulador 2"), "R",
     [F(T(404), 0, 0, 16, 0.001, 0, "Unsigned", BAR, 2), F(T(405), 2, 0, 16, 0.001, 0, "Unsigned", BAR, 2)]),
    ("0054", L("Supply Pressure", "供气压力", "Давление питания", "Presión de alimentación", "Pressão de alimentação"), "R",
     [F(L("Reservoir Pressure", "储气筒压力", "Давление в ресивере", "Presión del depósito", "Pressão do reservatório"), 0, 0, 16, 0.001, 0, "Unsigned", BAR, 2)]),
    ("0056", L("Supply Voltage and Temperature", "电源电压和温度", "Напряжение и температура", "Tensión y temperatura", "Tensão e temperatura"), "R",
     [F(L("Supply Voltage", "电源电压", "Напряжение питания", "Tensión de alimentación", "Tensão de alimentação"), 0, 0, 16, 0.01, 0, "Unsigned", SAME("V"), 2),
      F(L("ECU Temperature", "ECU温度", "Температура ЭБУ", "Temperatura de la ECU", "Temperatura da ECU"), 2, 0, 8, 1, -40, "Unsigned", SAME("degC"), 0)]),
    ("0057", L("Switch Inputs", "开关输入", "Входы переключателей", "Entradas de interruptor", "Entradas de interruptor"), "R",
     [F(L("Brake Light Supply", "制动灯供电", "Питание стоп-сигнала", "Alimentación luz de freno", "Alimentação luz de freio"), 0, 0, 1),
      F(L("ISO 7638 Supply", "ISO 7638供电", "Питание ISO 7638", "Alimentación ISO 7638", "Alimentação ISO 7638"), 0, 1, 1),
      F(L("Lifting Axle Raised", "提升桥已升起", "Подъёмная ось поднята", "Eje elevable subido", "Eixo elevatório levantado"), 0, 2, 1),
      F(L("Reserved Bits", "预留位", "Резервные биты", "Bits reservados", "Bits reservados"), 0, 3, 5)]),
    ("0092", L("ECU Status Word", "ECU状态字", "Слово состояния ЭБУ", "Palabra de estado de la ECU", "Palavra de estado da ECU"), "R",
     [F(L("Status Word", "状态字", "Слово состояния", "Palabra de estado", "Palavra de estado"), 0, 0, 16)]),
    ("F186", L("Active Diagnostic Session", "当前诊断会话", "Активный сеанс диагностики", "Sesión de diagnóstico activa", "Sessão de diagnóstico ativa"), "R",
     [F(L("Session", "会话", "Сеанс", "Sesión", "Sessão"), 0, 0, 8)]),
]

# ---- lifting axle ------------------------------------------------------------------------

def lifting_fields(mapped):
    f = [
        F(L("Lifting Axle Function", "提升桥功能", "Функция подъёмной оси", "Función del eje elevable", "Função do eixo elevatório"), 0, 0, 8, desc=L("0 = off, 1 = automatic, 2 = manual", "0 = 关，1 = 自动，2 = 手动", "0 = выкл, 1 = авто, 2 = вручную", "0 = apagado, 1 = automático, 2 = manual", "0 = desligado, 1 = automático, 2 = manual")),
        F(L("Lifting Axle 1 Driven", "提升桥1受控", "Подъёмная ось 1 управляется", "Eje elevable 1 accionado", "Eixo elevatório 1 acionado"), 1, 0, 8, desc=D_BIT),
        F(L("Lifting Axle 2 Driven", "提升桥2受控", "Подъёмная ось 2 управляется", "Eje elevable 2 accionado", "Eixo elevatório 2 acionado"), 2, 0, 8, desc=D_BIT),
        F(L("Lift Pressure Threshold (bar)", "提升压力阈值(bar)", "Порог давления подъёма (бар)", "Umbral de presión de elevación (bar)", "Limiar de pressão de elevação (bar)"), 3, 0, 16, 0.01, 0, "Unsigned", BAR, 2,
          L("Bellows pressure below which the axle is raised", "低于此气囊压力时升起车桥", "Давление, ниже которого ось поднимается", "Presión por debajo de la cual se sube el eje", "Pressão abaixo da qual o eixo sobe")),
        F(L("Lowering Pressure Threshold (bar)", "下降压力阈值(bar)", "Порог давления опускания (бар)", "Umbral de presión de bajada (bar)", "Limiar de pressão de descida (bar)"), 5, 0, 16, 0.01, 0, "Unsigned", BAR, 2,
          L("Bellows pressure above which the axle is lowered", "高于此气囊压力时降下车桥", "Давление, выше которого ось опускается", "Presión por encima de la cual se baja el eje", "Pressão acima da qual o eixo desce")),
        F(L("Forced Lowering at Ignition Off", "熄火时强制下降", "Опускание при выключении", "Bajada forzada al apagar", "Descida forçada ao desligar"), 7, 0, 1, desc=D_BIT),
        F(L("Reserved Bits", "预留位", "Резервные биты", "Bits reservados", "Bits reservados"), 7, 1, 7, desc=D_RES),
        F(L("Lifting Axle 1 Sensor", "提升桥1传感器", "Датчик подъёмной оси 1", "Sensor del eje elevable 1", "Sensor do eixo elevatório 1"), 8, 0, 8, desc=D_BIT),
        F(L("Lifting Axle 2 Sensor", "提升桥2传感器", "Датчик подъёмной оси 2", "Sensor del eje elevable 2", "Sensor do eixo elevatório 2"), 9, 0, 8, desc=D_BIT),
        F(L("Lifting Speed Limit (km/h)", "提升车速限制(km/h)", "Предел скорости подъёма (км/ч)", "Límite de velocidad de elevación (km/h)", "Limite de velocidade de elevação (km/h)"), 10, 0, 8, 1, 0, "Unsigned", KMH, 0, D_SPEED),
    ]
    last = 11
    if mapped:
        f.append(F(L("Lowering Speed Limit (km/h)", "下降车速限制(km/h)", "Предел скорости опускания (км/ч)", "Límite de velocidad de bajada (km/h)", "Limite de velocidade de descida (km/h)"), 11, 0, 8, 1, 0, "Unsigned", KMH, 0, D_SPEED))
        last = 12
    f.append(F(CHECKSUM, last, 0, 8, 1, 0, "Unsigned", NONE, 0, D_SUM))
    return f


def lifting_records(mapped):
    return [("00A1", L("Lifting Axle Parameters", "提升桥参数", "Параметры подъёмной оси", "Parámetros del eje elevable", "Parâmetros do eixo elevatório"), "RW", lifting_fields(mapped))]


# ---- connectors --------------------------------------------------------------------------

CONNECTORS = [
    ("X1", L("Supply ISO 7638", "ISO 7638供电", "Питание ISO 7638", "Alimentación ISO 7638", "Alimentação ISO 7638")),
    ("X2", L("Supply ISO 1185", "ISO 1185供电", "Питание ISO 1185", "Alimentación ISO 1185", "Alimentação ISO 1185")),
    ("X3", L("Lifting axle valve 1", "提升桥阀1", "Клапан подъёмной оси 1", "Válvula eje elevable 1", "Válvula eixo elevatório 1")),
    ("X4", L("Lifting axle valve 2", "提升桥阀2", "Клапан подъёмной оси 2", "Válvula eje elevable 2", "Válvula eixo elevatório 2")),
    ("X5", L("Height sensor c-d", "c-d高度传感器", "Датчик высоты c-d", "Sensor de altura c-d", "Sensor de altura c-d")),
    ("X6", L("Height sensor e-f", "e-f高度传感器", "Датчик высоты e-f", "Sensor de altura e-f", "Sensor de altura e-f")),
    ("X7", L("Steering axle lock", "转向桥锁止", "Блокировка управляемой оси", "Bloqueo del eje direccional", "Trava do eixo direcional")),
    ("X8", L("Speed switch", "速度开关", "Переключатель скорости", "Interruptor de velocidad", "Interruptor de velocidade")),
    ("X9", L("Underwater valve", "涉水阀", "Клапан брода", "Válvula de vadeo", "Válvula de travessia")),
    ("X10", L("Tilt warning lamp", "倾斜报警灯", "Лампа крена", "Testigo de inclinación", "Lâmpada de inclinação")),
    ("X11", L("Odometer output", "里程输出", "Выход одометра", "Salida del odómetro", "Saída do hodômetro")),
    ("X12", L("Diagnosis", "诊断", "Диагностика", "Diagnóstico", "Diagnóstico")),
    ("X13", L("Brake light", "制动灯", "Стоп-сигнал", "Luz de freno", "Luz de freio")),
    ("X14", L("Load sensing", "载荷感应", "Датчик нагрузки", "Detección de carga", "Detecção de carga")),
    ("X15", L("Retarder", "缓速器", "Замедлитель", "Retardador", "Retardador")),
    ("X16", L("Auxiliary", "辅助", "Дополнительный", "Auxiliar", "Auxiliar")),
]


def connector_records():
    fields = [F(("VER", "VER"), 0, 0, 8, 1, 0, "Unsigned", NONE, 0,
                L("Connector configuration version", "连接器配置版本", "Версия конфигурации разъёмов", "Versión de configuración de conectores", "Versão de configuração dos conectores"))]
    for n, (abbr, desc) in enumerate(CONNECTORS, start=1):
        fields.append(F(("C%02d" % n, abbr), n, 0, 8, 1, 0, "Unsigned", NONE, 0, desc))
    return [("00A2", L("Connector Assignment", "连接器分配", "Назначение разъёмов", "Asignación de conectores", "Atribuição de conectores"), "R", fields)]


# ---- fault table ----------------------------------------------------------------------------

FAULTS = [
    ("0x5A0113", "C0113", L("Sensor c wheel speed signal implausible", "c轮速信号不可信", "Неправдоподобный сигнал скорости колеса c", "Señal de velocidad de la rueda c no plausible", "Sinal de velocidade da roda c implausível")),
    ("0x5A0213", "C0213", L("Sensor d wheel speed signal implausible", "d轮速信号不可信", "Неправдоподобный сигнал скорости колеса d", "Señal de velocidad de la rueda d no plausible", "Sinal de velocidade da roda d implausível")),
    ("0x5A0313", "C0313", L("Sensor e wheel speed signal implausible", "e轮速信号不可信", "Неправдоподобный сигнал скорости колеса e", "Señal de velocidad de la rueda e no plausible", "Sinal de velocidade da roda e implausível")),
    ("0x5A0413", "C0413", L("Sensor f wheel speed signal implausible", "f轮速信号不可信", "Неправдоподобный сигнал скорости колеса f", "Señal de velocidad de la rueda f no plausible", "Sinal de velocidade da roda f implausível")),
    ("0xC11087", "U1087", L("No CAN message from the towing vehicle", "未收到牵引车CAN报文", "Нет сообщений CAN от тягача", "Sin mensaje CAN del vehículo tractor", "Sem mensagem CAN do veículo trator")),
    ("0x611201", "P1201", L("Modulator 1 pressure sensor fault", "调节器1压力传感器故障", "Неисправность датчика давления модулятора 1", "Fallo del sensor de presión del modulador 1", "Falha do sensor de pressão do modulador 1")),
    ("0x611202", "P1202", L("Modulator 2 pressure sensor fault", "调节器2压力传感器故障", "Неисправность датчика давления модулятора 2", "Fallo del sensor de presión del modulador 2", "Falha do sensor de pressão do modulador 2")),
    ("0x620016", "B0016", L("Supply voltage too low", "电源电压过低", "Слишком низкое напряжение питания", "Tensión de alimentación demasiado baja", "Tensão de alimentação muito baixa")),
    ("0x620017", "B0017", L("Supply voltage too high", "电源电压过高", "Слишком высокое напряжение питания", "Tensión de alimentación demasiado alta", "Tensão de alimentação muito alta")),
    ("0x630A01", "C0A01", L("Lifting axle valve open circuit", "提升桥阀断路", "Обрыв цепи клапана подъёмной оси", "Circuito abierto en la válvula del eje elevable", "Circuito aberto na válvula do eixo elevatório")),
    ("0x630B01", "C0B01", L("Height sensor signal out of range", "高度传感器信号超出范围", "Сигнал датчика высоты вне диапазона", "Señal del sensor de altura fuera de rango", "Sinal do sensor de altura fora da faixa")),
    ("0x640001", "C4001", L("Roll-stability sensor not calibrated", "侧翻稳定传感器未标定", "Датчик устойчивости не откалиброван", "Sensor de estabilidad sin calibrar", "Sensor de estabilidade não calibrado")),
    # The two codes the end-of-line fault check tolerates.
    ("0xFD0E", "B1D0E", L("End-of-line test not passed", "下线检测未通过", "Проверка в конце линии не пройдена", "Prueba de fin de línea no superada", "Teste de fim de linha não aprovado")),
    ("0xDB08", "B1B08", L("Output under tester control", "输出受诊断仪控制", "Выход под управлением тестера", "Salida bajo control del equipo de prueba", "Saída sob controle do equipamento de teste")),
]

# ---- parameter fault codes (one file for every language) ---------------------------------------

PARAMETER_FAULTS_MAPPED = [
    ("01", L("Checksum error", "校验和错误", "Ошибка контрольной суммы", "Error de suma de control", "Erro de soma de verificação"),
     L("The checksum of the parameter block is wrong; the parameters were not stored.", "参数块校验和错误，参数未保存。", "Неверная контрольная сумма блока параметров; параметры не сохранены.", "La suma de control del bloque de parámetros es incorrecta; no se guardaron los parámetros.", "A soma de verificação do bloco de parâmetros está errada; os parâmetros não foram gravados.")),
    ("02", L("Invalid number of axles", "车桥数量无效", "Недопустимое число осей", "Número de ejes no válido", "Número de eixos inválido"),
     L("The number of axles must lie between 1 and 5.", "车桥数量必须在1至5之间。", "Число осей должно быть от 1 до 5.", "El número de ejes debe estar entre 1 y 5.", "O número de eixos deve estar entre 1 e 5.")),
    ("03", L("Control pressures inconsistent", "控制压力不一致", "Управляющие давления несогласованы", "Presiones de control incoherentes", "Pressões de controle inconsistentes"),
     L("The laden control pressure must be higher than the unladen control pressure.", "满载控制压力必须高于空载控制压力。", "Давление с грузом должно быть выше давления без груза.", "La presión de control cargado debe ser mayor que la de vacío.", "A pressão de controle carregado deve ser maior que a vazia.")),
    ("04", L("Reserved bits set", "预留位被置位", "Установлены резервные биты", "Bits reservados activados", "Bits reservados ativados"),
     L("The reserved bits of an axle byte must be 0.", "车桥字节的预留位必须为0。", "Резервные биты байта оси должны быть 0.", "Los bits reservados de un byte de eje deben ser 0.", "Os bits reservados de um byte de eixo devem ser 0.")),
]
PARAMETER_FAULTS_FALLBACK = [
    ("01", L("Parameter checksum error", "参数校验和错误", "Ошибка контрольной суммы параметров", "Error de suma de control de parámetros", "Erro de soma de verificação dos parâmetros"),
     L("The ECU rejected the parameters because of a wrong checksum.", "ECU因校验和错误拒绝了参数。", "ЭБУ отклонил параметры из-за неверной контрольной суммы.", "La ECU rechazó los parámetros por una suma de control incorrecta.", "A ECU rejeitou os parâmetros por soma de verificação errada.")),
    ("02", L("Parameter out of range", "参数超出范围", "Параметр вне диапазона", "Parámetro fuera de rango", "Parâmetro fora da faixa"),
     L("The ECU rejected a parameter value outside its range.", "ECU拒绝了超出范围的参数值。", "ЭБУ отклонил значение параметра вне диапазона.", "La ECU rechazó un valor de parámetro fuera de rango.", "A ECU rejeitou um valor de parâmetro fora da faixa.")),
]


def parameter_fault_file(path, faults):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', "<USER-CONFIGURATION>", "  <USER-DEF>"]
    for code, title, desc in faults:
        zh, en, ru, es, pt = title
        dzh, den, dru, des, dpt = desc
        attrs = [("FaultCodeNum", code), ("Chinese", zh), ("English", en), ("Russian", ru), ("Spanish", es), ("Portug", pt),
                 ("ChineseDesc", dzh), ("EnglishDesc", den), ("RussianDesc", dru), ("SpanishDesc", des), ("PortugDesc", dpt)]
        lines.append("    <DID %s/>" % " ".join('%s="%s"' % (k, esc(v)) for k, v in attrs))
    lines += ["  </USER-DEF>", "</USER-CONFIGURATION>"]
    write(path, lines)


def mapping_file(path, rows):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', "<PARAMETER-CONFIGURATION>", "  <DID-DEF>"]
    for attrs in rows:
        lines.append("    <DID %s/>" % " ".join('%s="%s"' % (k, esc(v)) for k, v in attrs))
    lines += ["  </DID-DEF>", "</PARAMETER-CONFIGURATION>"]
    write(path, lines)


def per_language(prefix):
    return [("FileName" + s, prefix + s + ".xml") for s in SUFFIXES]


def main():
    for lang, s in enumerate(SUFFIXES):
        definition_file("VADE_StoredParameterConfig/VADE_StoredParameter%s.xml" % s, STORED, lang, "stored")
        definition_file("VADE_BasicParameterConfig/VADE_ParameterConfig_default%s.xml" % s, basic_records(False), lang, "basic")
        definition_file("VADE_BasicParameterConfig/VADE_ParameterConfig_C05%s.xml" % s, basic_records(True), lang, "basic")
        definition_file("VADE_MonitorParameterConfig/VADE_MonitorParameter%s.xml" % s, MONITOR, lang, "monitor")
        definition_file("VADE_LiftingAxleParameterConfig/VADE_Lifting_Axle_ParameterConfig_default%s.xml" % s, lifting_records(False), lang, "lifting")
        definition_file("VADE_LiftingAxleParameterConfig/VADE_Lifting_Axle_ParameterConfig_V02%s.xml" % s, lifting_records(True), lang, "lifting")
        definition_file("VADE_ConnectorsConfig/VADE_Connectors_ParameterConfig_03%s.xml" % s, connector_records(), lang, "connector")
        lines = ['<?xml version="1.0" encoding="UTF-8"?>', "<USER-CONFIGURATION>", "  <USER-DEF>"]
        for number, display, meaning in FAULTS:
            lines.append('    <DID DTCNumber="%s" DTCDisplay="%s" DTCMeaning="%s"/>' % (number, display, esc(meaning[lang])))
        lines += ["  </USER-DEF>", "</USER-CONFIGURATION>"]
        write("VADE_FaultTable/VADE_FailureTable%s.xml" % s, lines)

    mapping_file("VADE_BasicParameterConfig/Mapping.xml",
                 [[("CalibrationVersion", "05")] + per_language("VADE_ParameterConfig_C05")])
    mapping_file("VADE_LiftingAxleParameterConfig/Mapping.xml",
                 [[("CalibrationVersion", "02")] + per_language("VADE_Lifting_Axle_ParameterConfig_V02")])
    mapping_file("VADE_ParameterFaultCodeConfig/Mapping.xml", [
        [("ECU_SW_VERSION", "V2.7.1"), ("CalibrationVersion", "5"), ("Level", "1"), ("FileName", "VADE_ParameterFaultCode_2.7.xml")],
    ])
    parameter_fault_file("VADE_ParameterFaultCodeConfig/VADE_ParameterFaultCode_2.7.xml", PARAMETER_FAULTS_MAPPED)
    parameter_fault_file("VADE_ParameterFaultCodeConfig/VADE_ParameterFaultCode_1.1.xml", PARAMETER_FAULTS_FALLBACK)
    print("definition files written under %s" % DATA)


if __name__ == "__main__":
    main()
