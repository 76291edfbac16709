-- id_request_doc: 0 stands for "none chosen", null for "not edited here".
with stored as (
    insert into jur.t_contractor (c_name, id_class, id_prev, c_comment, n_audit_frequency, id_request_doc)
    values (:c_name, :id_class, :id_prev, :c_comment, coalesce(:n_audit_frequency, 0), nullif(:id_request_doc, 0))
    returning *
)
select s.id, s.c_name, inn.c_value as c_inn, rt.n_rating, s.id_class, s.id_prev,
       s.c_comment, s.n_audit_frequency, s.id_request_doc, s.n_row_version
  from stored s
  left join jur.t_contractor_requis inn on inn.id_contractor = s.id and inn.id_requisite = 1
  left join jur.v_contractor_rating rt on rt.id_contractor = s.id
