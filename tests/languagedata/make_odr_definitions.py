#!/usr/bin/env python3
"""Writes the recorder definition files data/VADE_ODR_ParameterConfig/*.xml:
the information record (names of the counted values taken from
data/LanguageConfig.xml, rows 431 to 444, so that both files use the same
wording) and the trip records of layouts 1 and 2, in the five languages. The
byte layouts match the simulated ECU's records (sim/SimEcuRecorderData.cpp).
Not shipped; run it after editing a row:

    python3 tests/languagedata/make_odr_definitions.py
"""
import os
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
OUT = os.path.join(ROOT, "data", "VADE_ODR_ParameterConfig")

# Language index order: attribute of LanguageConfig.xml, file suffix.
LANGS = (("Chinese", "_zh"), ("English", "_en"), ("Russian", "_russian"),
         ("Spanish", "_spanish"), ("Portug", "_portug"))

# Descriptions, per language (zh, en, ru, es, pt).
TOTAL = ("自ECU生产以来累计", "Total since the ECU was built", "Итого с момента изготовления блока",
         "Total desde la fabricación de la unidad", "Total desde a fabricação da unidade")
TRIP = ("本次行程累计", "Counted over this trip", "Подсчитано за эту поездку",
        "Contado en este viaje", "Contado nesta viagem")
MEASURED = ("本次行程测量值", "Measured during this trip", "Измерено за эту поездку",
            "Medido durante este viaje", "Medido durante esta viagem")
START = ("行程开始时间，当地时间(SAE J1939)", "Start of the trip, local time (SAE J1939)",
         "Начало поездки, местное время (SAE J1939)", "Inicio del viaje, hora local (SAE J1939)",
         "Início da viagem, hora local (SAE J1939)")
STATE = ("状态位：0否，1是", "State bit: 0 no, 1 yes", "Бит состояния: 0 нет, 1 да",
         "Bit de estado: 0 no, 1 sí", "Bit de estado: 0 não, 1 sim")
LOAD = ("0空载，1部分载荷，2满载，3超载，4未知", "0 empty, 1 part load, 2 full load, 3 overload, 4 unknown",
        "0 пусто, 1 частично, 2 полная, 3 перегрузка, 4 неизвестно",
        "0 vacío, 1 carga parcial, 2 carga completa, 3 sobrecarga, 4 desconocido",
        "0 vazio, 1 carga parcial, 2 carga completa, 3 sobrecarga, 4 desconhecido")
LAYOUT = ("记录格式", "Layout of the recorder's records", "Формат записей регистратора",
          "Formato de los registros del registrador", "Formato dos registros do registrador")

# Information record (DID 0042): (name: LanguageConfig row or five texts,
# ByteIndex, StartBit, BitLenth, Conversion, Offset, Unit, DecimalValid, description).
INFO = [
    (431, 0, 0, 8, "1", "0", "min", 0, TOTAL),
    (432, 1, 0, 32, "1", "0", "h", 0, TOTAL),
    (433, 5, 0, 32, "0.1", "0", "km", 1, TOTAL),
    (434, 9, 0, 32, "1", "0", "", 0, TOTAL),
    (435, 13, 0, 16, "1", "0", "", 0, TOTAL),
    (437, 15, 0, 32, "0.01", "0", "bar", 2, TOTAL),
    (439, 19, 0, 16, "1", "0", "", 0, TOTAL),
    (440, 21, 0, 16, "1", "0", "", 0, TOTAL),
    (442, 23, 0, 16, "1", "0", "", 0, TOTAL),
    (443, 25, 0, 16, "1", "0", "", 0, TOTAL),
    (444, 27, 0, 16, "0.1", "0", "t", 1, TOTAL),
    (("记录仪启用", "Recorder enabled", "Регистратор включён", "Registrador activado", "Registrador ativado"),
     29, 0, 1, "1", "0", "", 0, STATE),
    (("存储已满", "Memory full", "Память заполнена", "Memoria llena", "Memória cheia"),
     29, 1, 1, "1", "0", "", 0, STATE),
    (("行程记录格式版本", "Trip layout version", "Версия формата поездок", "Versión del formato de viaje",
      "Versão do formato de viagem"), 30, 0, 8, "1", "0", "", 0, LAYOUT),
]

# Trip records (DID 0047), layout 1; the eighth sub-field is the J1939 time/date.
TRIP1 = [
    (("记录格式版本", "Record layout version", "Версия формата записи", "Versión del formato de registro",
      "Versão do formato do registro"), 0, 0, 8, "1", "0", "", 0, LAYOUT),
    (("行程编号", "Trip number", "Номер поездки", "Número de viaje", "Número da viagem"),
     1, 0, 16, "1", "0", "", 0, TRIP),
    (("行程里程", "Trip distance", "Пробег за поездку", "Distancia del viaje", "Distância da viagem"),
     3, 0, 32, "0.1", "0", "km", 1, TRIP),
    (("行程时长", "Trip duration", "Длительность поездки", "Duración del viaje", "Duração da viagem"),
     7, 0, 16, "1", "0", "min", 0, TRIP),
    (("制动次数", "Brake applications", "Число торможений", "Frenadas", "Frenagens"),
     9, 0, 16, "1", "0", "", 0, TRIP),
    (("ABS调节次数", "ABS events", "Срабатывания ABS", "Intervenciones ABS", "Intervenções ABS"),
     11, 0, 16, "1", "0", "", 0, TRIP),
    (("防侧翻调节次数", "RSS events", "Срабатывания RSS", "Intervenciones RSS", "Intervenções RSS"),
     13, 0, 16, "1", "0", "", 0, TRIP),
    (("行程开始时间", "Trip start", "Начало поездки", "Inicio del viaje", "Início da viagem"),
     15, 0, 64, "1", "0", "", 0, START),
    (("最高车速", "Maximum speed", "Максимальная скорость", "Velocidad máxima", "Velocidade máxima"),
     23, 0, 16, "0.00390625", "0", "km/h", 1, MEASURED),
    (("平均车速", "Average speed", "Средняя скорость", "Velocidad media", "Velocidade média"),
     25, 0, 16, "0.00390625", "0", "km/h", 1, MEASURED),
    (("最大需求压力", "Maximum demand pressure", "Макс. управляющее давление", "Presión de demanda máxima",
      "Pressão de demanda máxima"), 27, 0, 8, "0.05", "0", "bar", 2, MEASURED),
    (("平均需求压力", "Average demand pressure", "Среднее управляющее давление", "Presión de demanda media",
      "Pressão de demanda média"), 28, 0, 8, "0.05", "0", "bar", 2, MEASURED),
    (("最大轴荷", "Maximum axle load", "Макс. нагрузка на ось", "Carga máxima por eje", "Carga máxima por eixo"),
     29, 0, 16, "0.1", "0", "t", 1, MEASURED),
    (("平均轴荷", "Average axle load", "Средняя нагрузка на ось", "Carga media por eje", "Carga média por eixo"),
     31, 0, 16, "0.1", "0", "t", 1, MEASURED),
    (("最低供电电压", "Minimum supply voltage", "Мин. напряжение питания", "Tensión de alimentación mínima",
      "Tensão de alimentação mínima"), 33, 0, 8, "0.2", "0", "V", 1, MEASURED),
    (("最高供电电压", "Maximum supply voltage", "Макс. напряжение питания", "Tensión de alimentación máxima",
      "Tensão de alimentação máxima"), 34, 0, 8, "0.2", "0", "V", 1, MEASURED),
    (("超载次数", "Overload events", "Случаи перегрузки", "Sobrecargas", "Sobrecargas"),
     35, 0, 16, "1", "0", "", 0, TRIP),
    (("警告灯点亮次数", "Warning lamp events", "Включения сигнальной лампы",
      "Activaciones de la lámpara de advertencia", "Acendimentos da lâmpada de advertência"),
     37, 0, 16, "1", "0", "", 0, TRIP),
    (("提升桥升起时间", "Lifting axle raised", "Подъёмная ось поднята", "Eje elevable levantado",
      "Eixo elevatório levantado"), 39, 0, 16, "1", "0", "min", 0, TRIP),
    (("行程结束时总里程", "Odometer at trip end", "Пробег в конце поездки", "Odómetro al final del viaje",
      "Hodômetro no fim da viagem"), 41, 0, 32, "0.1", "0", "km", 1, MEASURED),
    (("制动灯供电", "Brake lamp supplied", "Питание стоп-сигнала", "Luz de freno alimentada",
      "Luz de freio alimentada"), 45, 0, 1, "1", "0", "", 0, STATE),
    (("ABS介入", "ABS intervened", "Вмешательство ABS", "ABS intervino", "ABS interveio"),
     45, 1, 1, "1", "0", "", 0, STATE),
    (("载荷状态", "Load state", "Состояние загрузки", "Estado de carga", "Estado de carga"),
     45, 2, 3, "1", "0", "", 0, LOAD),
    (("最高温度", "Maximum temperature", "Максимальная температура", "Temperatura máxima", "Temperatura máxima"),
     46, 0, 8, "1", "-40", "°C", 0, MEASURED),
    (("存储故障数", "Stored faults", "Сохранённые неисправности", "Fallos almacenados", "Falhas armazenadas"),
     47, 0, 8, "1", "0", "", 0, TRIP),
]

# Layout 2: layout 1 and two counters behind it.
TRIP2 = TRIP1 + [
    (("防侧翻二级调节次数", "RSS level-2 interventions", "Срабатывания RSS 2-го уровня",
      "Intervenciones RSS de nivel 2", "Intervenções RSS de nível 2"), 52, 0, 16, "1", "0", "", 0, TRIP),
    (("胎压报警次数", "Tyre pressure warnings", "Предупреждения о давлении в шинах",
      "Avisos de presión de neumáticos", "Avisos de pressão dos pneus"), 54, 0, 16, "1", "0", "", 0, TRIP),
]

INFO_DID = ("0042", ("记录仪信息", "Recorder information", "Данные регистратора",
                     "Información del registrador", "Informações do registrador"))
TRIP_DID = ("0047", ("行程记录", "Trip record", "Запись поездки", "Registro de viaje", "Registro de viagem"))


def escape(text):
    return (text.replace("&", "&amp;").replace("<", "&lt;")
            .replace(">", "&gt;").replace('"', "&quot;"))


def language_rows():
    root = ET.parse(os.path.join(ROOT, "data", "LanguageConfig.xml")).getroot()
    return list(root.find("USER-DEF"))


def write(path, did, rows, lang, names):
    number, did_names = did
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', "<PARAMETER-CONFIGURATION>", "  <DID-DEF>",
             '    <DID DidNumber="%s" name="%s" RWType="R">' % (number, escape(did_names[lang]))]
    for (name, byte, start, bits, conv, offset, unit, decimals, desc) in rows:
        text = names(name)
        lines.append(
            '      <SUB SubDataName="%s" ByteIndex="%d" StartBit="%d" BitLenth="%d" Conversion="%s" '
            'Offset="%s" DataType="Unsigned" SecurityLeve="0" Unit="%s" DecimalValid="%d" Description="%s"/>'
            % (escape(text), byte, start, bits, conv, offset, escape(unit), decimals, escape(desc[lang])))
    lines += ["    </DID>", "  </DID-DEF>", "</PARAMETER-CONFIGURATION>", ""]
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines))


def main():
    os.makedirs(OUT, exist_ok=True)
    table = language_rows()
    for lang, (attribute, suffix) in enumerate(LANGS):
        def names(name):
            return table[name].attrib[attribute] if isinstance(name, int) else name[lang]
        write(os.path.join(OUT, "VADE_ODR_ParameterConfig%s.xml" % suffix), INFO_DID, INFO, lang, names)
        for version, rows in ((1, TRIP1), (2, TRIP2)):
            write(os.path.join(OUT, "VADE_ODR_Trip_Info_ParameterConfig_%d%s.xml" % (version, suffix)),
                  TRIP_DID, rows, lang, names)


if __name__ == "__main__":
    main()
